#include "app/devicecellsdialog.h"

#include "app/dialogs.h"
#include "transfer/devicebackup.h"
#include "transfer/devicecells.h"
#include "transfer/programupload.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

constexpr int cellCount = 4;
const QString fileFilter = QStringLiteral("Копия прибора (*.qmbackup)");

QPushButton *button(const QString &text, const char *name, QWidget *parent)
{
    auto *result = new QPushButton(text, parent);
    result->setObjectName(QLatin1String(name));
    result->setAutoDefault(false);
    return result;
}

} // namespace

DeviceCellsDialog::DeviceCellsDialog(DeviceLink &link, quint8 address, Dialogs *dialogs, QWidget *parent)
    : QDialog(parent)
    , m_link(link)
    , m_address(address)
    , m_dialogs(dialogs)
    , m_counts(cellCount, -1)
{
    setObjectName(QStringLiteral("deviceCellsDialog"));
    setWindowTitle(tr("Ячейки прибора"));
    m_table = new QTableWidget(cellCount, 3, this);
    m_table->setObjectName(QStringLiteral("cellTable"));
    m_table->setHorizontalHeaderLabels({tr("Ячейка"), tr("Имя"), tr("Записей")});
    m_table->verticalHeader()->hide();
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    for (int row = 0; row < cellCount; ++row) {
        m_table->setItem(row, 0, new QTableWidgetItem(QString::number(row + 1)));
        m_table->setItem(row, 1, new QTableWidgetItem);
        m_table->setItem(row, 2, new QTableWidgetItem);
    }
    m_table->selectRow(0);

    m_refreshButton = button(tr("Обновить"), "refreshButton", this);
    m_readButton = button(tr("Считать в редактор"), "readButton", this);
    m_backupButton = button(tr("Сохранить копию прибора…"), "backupButton", this);
    m_restoreButton = button(tr("Восстановить из копии…"), "restoreButton", this);
    m_stopButton = button(tr("Прервать"), "stopButton", this);
    m_progress = new QProgressBar(this);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("statusLabel"));
    m_status->setWordWrap(true);

    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {m_refreshButton, m_readButton, m_backupButton, m_restoreButton})
        buttons->addWidget(b);
    auto *work = new QHBoxLayout;
    work->addWidget(m_progress);
    work->addWidget(m_stopButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_table);
    layout->addLayout(buttons);
    layout->addLayout(work);
    layout->addWidget(m_status);

    connect(m_refreshButton, &QPushButton::clicked, this, &DeviceCellsDialog::refresh);
    connect(m_backupButton, &QPushButton::clicked, this, &DeviceCellsDialog::backUp);
    connect(m_restoreButton, &QPushButton::clicked, this, &DeviceCellsDialog::restore);
    connect(m_stopButton, &QPushButton::clicked, this, &DeviceCellsDialog::stop);
    connect(m_readButton, &QPushButton::clicked, this, [this] {
        const int cell = qMax(0, m_table->currentRow());
        accept();
        emit readIntoEditor(cell);
    });
    setBusy(false);
}

void DeviceCellsDialog::setBusy(bool busy, int totalRequests)
{
    m_busy = busy;
    m_stopRequested = false;
    for (QPushButton *b : {m_refreshButton, m_readButton, m_backupButton, m_restoreButton})
        b->setEnabled(!busy);
    m_stopButton->setEnabled(busy);
    m_progress->setVisible(busy && totalRequests > 0);
    m_progress->setRange(0, qMax(1, totalRequests));
    m_progress->setValue(0);
    emit busyChanged(busy);
}

bool DeviceCellsDialog::requestDone()
{
    m_progress->setValue(qMin(m_progress->maximum(), m_progress->value() + 1));
    return !m_stopRequested;
}

void DeviceCellsDialog::stop()
{
    m_stopRequested = true;
}

void DeviceCellsDialog::reject()
{
    // Closing mid-way would leave a request unanswered and the window's
    // transfers switched off; stop first, close when the work has ended.
    if (m_busy) {
        stop();
        return;
    }
    QDialog::reject();
}

void DeviceCellsDialog::report(const QString &text)
{
    m_status->setText(text);
}

void DeviceCellsDialog::refresh()
{
    if (m_busy)
        return;
    setBusy(true);
    for (int cell = 0; cell < cellCount; ++cell) {
        CellSummary summary;
        QString error;
        const bool read = readCellSummary(m_link, m_address, cell, summary, error);
        m_counts[cell] = read ? summary.count : -1;
        m_table->item(cell, 1)->setText(read ? summary.name : tr("ошибка: %1").arg(error));
        m_table->item(cell, 2)->setText(read ? QString::number(summary.count) : QString());
    }
    setBusy(false);
}

QString DeviceCellsDialog::chooseFile(bool forSaving)
{
    const QString caption = forSaving ? tr("Сохранить копию прибора") : tr("Восстановить из копии");
    QString path = forSaving ? m_dialogs->getSaveFileName(this, caption, QDir::currentPath(), fileFilter)
                             : m_dialogs->getOpenFileName(this, caption, QDir::currentPath(), fileFilter);
    if (forSaving && !path.isEmpty() && QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".qmbackup");
    return path;
}

void DeviceCellsDialog::backUp()
{
    if (m_busy)
        return;
    const QString path = chooseFile(true);
    if (path.isEmpty())
        return;
    int total = 0;
    for (int count : m_counts)
        total += 2 + (count < 0 ? CellCapacity : count);
    DeviceBackup backup;
    backup.saved = QDateTime::currentDateTimeUtc();
    backup.address = m_address;
    QString error;
    setBusy(true, total);
    for (int cell = 0; cell < cellCount && error.isEmpty(); ++cell) {
        StoredCell stored;
        if (readStoredCell(m_link, m_address, cell, stored, error, [this] { return requestDone(); }))
            backup.cells.append(stored);
        else
            error = tr("ячейка %1: %2").arg(cell + 1).arg(error);
    }
    setBusy(false);
    // Only a complete copy is written: a partial one would restore as if whole.
    if (!error.isEmpty()) {
        report(tr("Копия не сохранена (%1)").arg(error));
        return;
    }
    if (!backup.save(path, error)) {
        m_dialogs->warning(this, tr("Ошибка"), error);
        report(tr("Копия не сохранена"));
        return;
    }
    report(tr("Копия прибора сохранена: %1").arg(QDir::toNativeSeparators(path)));
}

void DeviceCellsDialog::restore()
{
    if (m_busy)
        return;
    const QString path = chooseFile(false);
    if (path.isEmpty())
        return;
    DeviceBackup backup;
    QString error;
    if (!backup.load(path, error)) {
        m_dialogs->warning(this, tr("Ошибка"), error);
        return;
    }
    QVector<int> cells;
    int total = 0;
    for (const StoredCell &cell : backup.cells) {
        cells.append(cell.cell);
        total += 2 * (cell.records.size() + 2);
    }
    if (!m_dialogs->confirm(this, tr("Ячейки прибора"),
                             tr("Перезаписать ячейки %1 прибора с адресом %2?").arg(cellList(cells)).arg(m_address)))
        return;

    setBusy(true, total);
    const RestoreReport result = restoreCells(
        m_link, m_address, backup.cells, [](int, bool, const QString &) {}, [this] { return requestDone(); });
    setBusy(false);
    QStringList lines;
    if (result.ended)
        lines.append(tr("Восстановление не завершено (%1)").arg(result.failure));
    if (!result.different.isEmpty())
        lines.append(tr("Прочитаны не так, как записаны, ячейки: %1").arg(cellList(result.different)));
    lines.append(tr("Записаны и проверены ячейки: %1").arg(cellList(result.verified)));
    report(lines.join(QLatin1Char('\n')));
    if (!result.ended)
        refresh();
}
