#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include "app/devicecellsdialog.h"
#include "app/dialogs.h"
#include "app/doubleclickfilter.h"
#include "app/portlist.h"
#include "highlight/highlighter.h"
#include "lang/compiler.h"
#include "lang/sourcetext.h"
#include "transfer/programdownload.h"
#include "transfer/programupload.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPalette>
#include <QSaveFile>
#include <QSpinBox>
#include <QTextBlock>
#include <QToolBar>

// The icons live in this static library; nothing else would pull them in.
static void initResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace {

const QString dirPrgFileKey = QStringLiteral("dirPrgFile");
const QString defaultProgramText = QStringLiteral("prgName = \"Prg1\";\n");

QLabel *toolBarLabel(const QString &text, int minimumWidth, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setMinimumWidth(minimumWidth);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

void whitenPalette(QWidget *widget)
{
    QPalette palette = widget->palette();
    const QBrush white(QColor(255, 255, 255), Qt::SolidPattern);
    const QPalette::ColorGroup groups[] = {QPalette::Active, QPalette::Inactive, QPalette::Disabled};
    const QPalette::ColorRole roles[] = {QPalette::Light,           QPalette::Base,   QPalette::Window,
                                         QPalette::HighlightedText, QPalette::NoRole, QPalette::ToolTipBase};
    for (QPalette::ColorGroup group : groups) {
        for (QPalette::ColorRole role : roles)
            palette.setBrush(group, role, white);
    }
    widget->setPalette(palette);
}

} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
    , ui(new Ui::MainWindow)
    , standardDialogs(std::make_unique<Dialogs>())
    , dialogs(standardDialogs.get())
{
    initResources();
    ui->setupUi(this);
    whitenPalette(ui->plainTextEdit);

    serialPort = new QSerialPort(this);
    serialPort->setObjectName(QStringLiteral("serialPort"));
    connect(serialPort, &QSerialPort::errorOccurred, this, &MainWindow::handlePortError);
    deviceLink.setPort(serialPort);

    portLabel = toolBarLabel(tr("  Номер\n  порта"), 60, this);
    portComboBox = new QComboBox(this);
    portComboBox->setObjectName(QStringLiteral("portComboBox"));
    programToolBar = new QToolBar(this);
    programToolBar->setObjectName(QStringLiteral("programToolBar"));

    settings = std::make_unique<QSettings>(QStringLiteral("Norvex"), QStringLiteral("KM7040RD5"));

    operandCodes = makeOperandCodes();
    comparisonCodes = makeComparisonCodes();

    // Before the first text arrives, so the default program is coloured.
    highlighter = new Highlighter(ui->textEdit->document());
    compiler = std::make_unique<Compiler>(highlighter->statementPatterns(), operandCodes, comparisonCodes);

    fillPortList();

    slaveIdLabel = toolBarLabel(tr(" Slave ID"), 60, this);
    slaveIdSpinBox = new QSpinBox(this);
    slaveIdSpinBox->setObjectName(QStringLiteral("slaveIdSpinBox"));
    slaveIdSpinBox->setRange(0, 255);
    slaveIdSpinBox->setFixedSize(50, 30);
    cellLabel = toolBarLabel(tr("Ячейка\nпамяти"), 50, this);
    cellComboBox = new QComboBox(this);
    cellComboBox->setObjectName(QStringLiteral("cellComboBox"));
    cellComboBox->addItems({QStringLiteral(" 1"), QStringLiteral(" 2"), QStringLiteral(" 3"), QStringLiteral(" 4")});
    cellComboBox->setFixedHeight(30);

    addToolBarBreak(Qt::TopToolBarArea);
    addToolBar(Qt::TopToolBarArea, programToolBar);

    createActions();
    buildToolBars();
    connectAction->setEnabled(true);
    disconnectAction->setEnabled(false);

    NewFile();

    writeAction->setEnabled(false);
    readAction->setEnabled(false);
    cellsAction->setEnabled(false);

    auto *paneClicks = new DoubleClickFilter(ui->plainTextEdit->viewport());
    connect(paneClicks, &DoubleClickFilter::doubleClicked, this, &MainWindow::showSourceLineOf);

    // Connected last: the default text above does not count as an edit.
    connect(ui->textEdit, &QTextEdit::textChanged, this, &MainWindow::TextChanges);
}

MainWindow::~MainWindow()
{
    // The highlighter goes with the editor's document. Deleting it first
    // would strip the colours from every block and lay the whole text out
    // again: minutes of a frozen window for a file of a few megabytes.
    disconnect(ui->textEdit, nullptr, this, nullptr);
    delete ui;
}

void MainWindow::fillPortList()
{
    // Editable, so that a port the system does not list (a pseudo-terminal,
    // a virtual pair) can be typed by name or path.
    portComboBox->setEditable(true);
    portComboBox->addItems(availablePortChoices());
    // Wide enough for a pseudo-terminal path such as /dev/pts/12.
    const int textWidth = portComboBox->fontMetrics().horizontalAdvance(QStringLiteral("/dev/pts/99"));
    portComboBox->setFixedSize(qMax(60, textWidth + 32), 30);
}

void MainWindow::createActions()
{
    struct ActionRow
    {
        QAction **action;
        const char *name;
        QString text;
        const char *icon;
        QKeySequence shortcut;
        QString statusTip;
        void (MainWindow::*slot)();
    };
    const ActionRow rows[] = {
        {&connectAction, "connectAction", tr("Подключить"), "connect.png", {}, tr("Подключить прибор"),
         &MainWindow::OpenPort},
        {&disconnectAction, "disconnectAction", tr("Отключить"), "disconnect.png", {}, tr("Отключить прибор"),
         &MainWindow::ClosePort},
        {&aboutAction, "aboutAction", tr("О программе"), "about.png", {}, tr("О программе"), &MainWindow::About},
        {&openFileAction, "openFileAction", tr("Открыть файл"), "open.png", QKeySequence(QStringLiteral("Ctrl+O")),
         tr("Открыть файл"), &MainWindow::OpenFile},
        {&saveFileAction, "saveFileAction", tr("Сохранить файл"), "save.png", QKeySequence(QStringLiteral("Ctrl+S")),
         tr("Сохранить файл"), &MainWindow::SaveFile},
        {&saveAsAction, "saveAsAction", tr("Сохранить как ..."), "SaveAs2.png", {}, tr("Сохранить как ..."),
         &MainWindow::SaveAsFile},
        {&compileAction, "compileAction", tr("Скомпилировать"), "root-terminal.png", QKeySequence(QStringLiteral("F7")),
         tr("Скомпилировать"), &MainWindow::checkText},
        {&writeAction, "writeAction", tr("Записать в прибор"), "receive.png", {}, tr("Записать в прибор"),
         &MainWindow::SaveLineToDevice},
        {&readAction, "readAction", tr("Считать из прибора"), "outbox.png", {}, tr("Считать из прибора"),
         &MainWindow::ReadLineFromDevice},
        {&newFileAction, "newFileAction", tr("Создать файл"), "Actions-document-new-icon.png", {}, tr("Создать файл"),
         &MainWindow::NewFile},
        {&cellsAction, "cellsAction", tr("Ячейки прибора"), "device-cells.png", {}, tr("Ячейки прибора"),
         &MainWindow::showDeviceCells},
    };
    for (const ActionRow &row : rows) {
        auto *action = new QAction(QIcon(QStringLiteral(":/new/prefix1/rec/") + QLatin1String(row.icon)), row.text,
                                   this);
        action->setObjectName(QLatin1String(row.name));
        action->setShortcut(row.shortcut);
        action->setStatusTip(row.statusTip);
        connect(action, &QAction::triggered, this, row.slot);
        *row.action = action;
    }
}

void MainWindow::buildToolBars()
{
    QToolBar *main = ui->mainToolBar;
    main->addAction(connectAction);
    main->addAction(disconnectAction);
    main->addSeparator();
    main->addWidget(portLabel);
    main->addWidget(portComboBox);
    main->addSeparator();
    main->addWidget(slaveIdLabel);
    main->addWidget(slaveIdSpinBox);
    main->addSeparator();
    main->addSeparator();
    main->addAction(aboutAction);

    programToolBar->addAction(newFileAction);
    programToolBar->addAction(openFileAction);
    programToolBar->addAction(saveFileAction);
    programToolBar->addAction(saveAsAction);
    programToolBar->addSeparator();
    programToolBar->addAction(compileAction);
    programToolBar->addAction(writeAction);
    programToolBar->addAction(readAction);
    programToolBar->addSeparator();
    programToolBar->addWidget(cellLabel);
    programToolBar->addWidget(cellComboBox);
    programToolBar->addSeparator();
    programToolBar->addAction(cellsAction);

    main->setIconSize(QSize(32, 32));
    programToolBar->setIconSize(QSize(32, 32));
}

void MainWindow::setTransferActionsEnabled(bool enabled)
{
    readAction->setEnabled(enabled);
    writeAction->setEnabled(enabled);
    compileAction->setEnabled(enabled);
    // The device's cells are one more transfer: off with the others.
    cellsAction->setEnabled(enabled);
}

void MainWindow::setDialogs(Dialogs *replacement)
{
    dialogs = replacement ? replacement : standardDialogs.get();
}

void MainWindow::checkText()
{
    const CompileResult result = compiler->compile(ui->textEdit->toPlainText());
    ui->plainTextEdit->setPlainText(result.paneText);
    paneSourceLines = result.paneSourceLines;
    program = result.records;
    // A source without a name line keeps the name of an earlier compile.
    if (result.nameSet)
        programName = result.programName;
    compileFailed = result.failed ? 1 : 0;
}

void MainWindow::showSourceLineOf(const QPoint &panePosition)
{
    const int paneLine = ui->plainTextEdit->cursorForPosition(panePosition).blockNumber();
    const int sourceLine = paneSourceLines.value(paneLine, 0);
    if (sourceLine < 1)
        return;
    const QTextBlock block = ui->textEdit->document()->findBlockByNumber(sourceLine - 1);
    if (!block.isValid())
        return;
    QTextCursor cursor(block);
    ui->textEdit->setTextCursor(cursor);
    ui->textEdit->ensureCursorVisible();
    ui->textEdit->setFocus(Qt::OtherFocusReason);
}

// Transfers

TransferTarget MainWindow::transferTarget() const
{
    TransferTarget target;
    target.address = quint8(slaveIdSpinBox->value());
    target.cell = cellComboBox->currentIndex();
    return target;
}

void MainWindow::startTransferPane()
{
    // From here the pane shows transfer lines, which come from no source line.
    ui->plainTextEdit->clear();
    paneSourceLines.clear();
}

void MainWindow::appendPaneLine(const QString &line)
{
    ui->plainTextEdit->appendPlainText(line);
}

void MainWindow::finishTransfer()
{
    transferRunning = false;
    // Compile always comes back; write and read only while the port is
    // still open (it may have been lost or closed during the transfer).
    setTransferActionsEnabled(serialPort->isOpen());
    compileAction->setEnabled(true);
}

void MainWindow::SaveLineToDevice()
{
    if (transferRunning)
        return;
    transferRunning = true;
    setTransferActionsEnabled(false);
    checkText();
    if (compileFailed == 0) {
        startTransferPane();
        // program and programName are copied here: a NewFile or another
        // edit while the upload waits for replies does not change what goes out.
        uploadProgram(deviceLink, program, programName, transferTarget(),
                      [this](const QString &line) { appendPaneLine(line); });
    }
    finishTransfer();
}

void MainWindow::ReadLineFromDevice()
{
    if (transferRunning)
        return;
    const TransferTarget target = transferTarget();
    startTransferPane();
    transferRunning = true;
    setTransferActionsEnabled(false);
    downloadProgram(
        deviceLink, target, operandCodes, comparisonCodes,
        [this](const QString &line) { appendPaneLine(line); },
        // As plain text: a name such as "<b>" must not be taken for markup.
        [this](const QStringList &lines) { ui->textEdit->setPlainText(lines.join(QLatin1Char('\n'))); });
    finishTransfer();
}

void MainWindow::showDeviceCells()
{
    if (transferRunning || !serialPort->isOpen())
        return;
    auto *dialog = new DeviceCellsDialog(deviceLink, quint8(slaveIdSpinBox->value()), dialogs, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &DeviceCellsDialog::busyChanged, this, [this](bool busy) {
        if (!busy) {
            finishTransfer();
            return;
        }
        transferRunning = true;
        setTransferActionsEnabled(false);
    });
    // Queued: the download starts once the dialog has closed, and goes
    // through every check "Считать из прибора" makes.
    connect(dialog, &DeviceCellsDialog::readIntoEditor, this, [this](int cell) {
        cellComboBox->setCurrentIndex(cell);
        ReadLineFromDevice();
    }, Qt::QueuedConnection);
    dialog->open();
    dialog->refresh();
}

void MainWindow::TextChanges()
{
    saveFileAction->setEnabled(true);
}

void MainWindow::About()
{
    const QString body = tr("<h2>Quillmar 1.2</h2>"
                            "Программа предначена для совместного функционирования\n"
                            "с источниками питания Norvex"
                            "<p>Использование программы с другими приборами не допускается."
                            "<p>© Norvex. Все права защищены."
                            "<p><a href=\"https://norvex.example/\">norvex.example</a>");
    dialogs->about(this, tr("О программе"), body);
}

// Serial port

void MainWindow::OpenPort()
{
    serialPort->setPortName(portComboBox->currentText().trimmed());
    if (!serialPort->open(QIODevice::ReadWrite)) {
        serialPort->close();
        dialogs->critical(this, tr("Error"), tr("Не удается открыть порт"));
        return;
    }
    // A pseudo-terminal rejects some line settings; that never matters, so
    // the results are not examined.
    serialPort->setBaudRate(QSerialPort::Baud9600, QSerialPort::AllDirections);
    serialPort->setDataBits(QSerialPort::Data8);
    serialPort->setParity(QSerialPort::NoParity);
    serialPort->setStopBits(QSerialPort::OneStop);
    setConnected(true);
}

void MainWindow::ClosePort()
{
    if (serialPort->isOpen())
        serialPort->close();
    setConnected(false);
}

void MainWindow::setConnected(bool connected)
{
    connectAction->setEnabled(!connected);
    disconnectAction->setEnabled(connected);
    portComboBox->setEnabled(!connected);
    // A port opened again during a transfer must not offer a second one.
    writeAction->setEnabled(connected && !transferRunning);
    readAction->setEnabled(connected && !transferRunning);
    cellsAction->setEnabled(connected && !transferRunning);
}

void MainWindow::handlePortError(QSerialPort::SerialPortError error)
{
    // A vanished device or pseudo-terminal peer keeps reporting the same
    // error; closing at the first one stops that and tells the user the
    // link is gone. Other errors (a line setting a pty refuses) are harmless.
    if (error != QSerialPort::ResourceError && error != QSerialPort::ReadError)
        return;
    if (!serialPort->isOpen())
        return;
    ClosePort();
    emit portLost();
}

// Source files

QString MainWindow::startDirectory() const
{
    const QString dir = settings->value(dirPrgFileKey).toString();
    return dir.isEmpty() ? QDir::currentPath() : dir;
}

void MainWindow::rememberDirectory(const QString &path)
{
    settings->setValue(dirPrgFileKey, QFileInfo(path).path());
}

void MainWindow::NewFile()
{
    ui->textEdit->clear();
    ui->textEdit->setPlainText(defaultProgramText);
    ui->plainTextEdit->clear();
    paneSourceLines.clear();
    program.clear();
}

void MainWindow::OpenFile()
{
    const QString path =
        dialogs->getOpenFileName(this, tr("Open File"), startDirectory(), tr("Файл программы (*.prgx)"));
    if (path.isEmpty())
        return;
    rememberDirectory(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        dialogs->warning(this, tr("Ошибка"), tr("Не удается открыть файл"));
        return;
    }
    ui->textEdit->setPlainText(sourceFromFileBytes(file.readAll()));
    file.close();
    currentFileName = path;
    saveFileAction->setEnabled(false);
}

void MainWindow::SaveFile()
{
    QString target = currentFileName;
    if (target.isEmpty()) {
        target = dialogs->getSaveFileName(this, tr("Save File"), startDirectory(), tr("Файл программы (*.prgx)"));
        if (target.isEmpty())
            return;
    }
    saveTo(target);
}

void MainWindow::SaveAsFile()
{
    const QString target =
        dialogs->getSaveFileName(this, tr("Save File"), startDirectory(), tr("Файл программы (*.prgx)"));
    if (target.isEmpty())
        return;
    saveTo(target);
}

void MainWindow::saveTo(const QString &target)
{
    rememberDirectory(target);
    // Written to a temporary file that replaces the target only when every
    // byte is on disk: a failed save leaves the previous file as it was.
    QSaveFile file(target);
    bool saved = file.open(QIODevice::WriteOnly);
    if (saved) {
        file.write(ui->textEdit->toPlainText().toUtf8());
        saved = file.commit();
    }
    if (!saved) {
        dialogs->warning(this, tr("Ошибка"), tr("Не удается сохранить файл"));
        return;
    }
    currentFileName = target;
    saveFileAction->setEnabled(false);
}
