#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include "app/devicecellsdialog.h"
#include "app/dialogs.h"
#include "app/outputpane.h"
#include "app/portcombobox.h"
#include "app/sourceeditor.h"
#include "app/sourcefiles.h"
#include "app/toolbarlabel.h"
#include "app/unsavedchanges.h"
#include "highlight/highlighter.h"
#include "lang/compiler.h"
#include "link/serialportopen.h"
#include "transfer/programdownload.h"
#include "transfer/programupload.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QSpinBox>
#include <QToolBar>

// The icons live in this static library; nothing else would pull them in.
static void initResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace {

const QString defaultProgramText = QStringLiteral("prgName = \"Prg1\";\n");

} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
    , ui(new Ui::MainWindow)
    , standardDialogs(std::make_unique<Dialogs>())
    , dialogs(standardDialogs.get())
{
    initResources();
    ui->setupUi(this);

    serialPort = new QSerialPort(this);
    serialPort->setObjectName(QStringLiteral("serialPort"));
    connect(serialPort, &QSerialPort::errorOccurred, this, &MainWindow::handlePortError);
    deviceLink.setPort(serialPort);

    portLabel = toolBarLabel(tr("  Номер\n  порта"), 60, this);
    portComboBox = new PortComboBox(this);
    portComboBox->setObjectName(QStringLiteral("portComboBox"));
    programToolBar = new QToolBar(this);
    programToolBar->setObjectName(QStringLiteral("programToolBar"));

    settings = std::make_unique<QSettings>(QStringLiteral("Norvex"), QStringLiteral("KM7040RD5"));
    sourceFiles = std::make_unique<SourceFiles>(this, *settings);

    operandCodes = makeOperandCodes();
    comparisonCodes = makeComparisonCodes();

    // Before the first text arrives, so the default program is coloured.
    highlighter = new Highlighter(ui->textEdit->document());
    compiler = std::make_unique<Compiler>(highlighter->statementPatterns(), operandCodes, comparisonCodes);

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

    connect(ui->plainTextEdit, &OutputPane::sourceLineDoubleClicked, ui->textEdit, &SourceEditor::showLine);

    // Connected last: the default text above does not count as an edit.
    connect(ui->textEdit, &QTextEdit::textChanged, this, &MainWindow::TextChanges);
    unsavedChanges = std::make_unique<UnsavedChanges>(this, ui->textEdit->document());
}

MainWindow::~MainWindow()
{
    // The highlighter goes with the editor's document. Deleting it first
    // would strip the colours from every block and lay the whole text out
    // again: minutes of a frozen window for a file of a few megabytes.
    disconnect(ui->textEdit, nullptr, this, nullptr);
    delete ui;
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
    fillToolBar(ui->mainToolBar, {connectAction, disconnectAction, nullptr, portLabel, portComboBox, nullptr,
                                  slaveIdLabel, slaveIdSpinBox, nullptr, nullptr, aboutAction});
    fillToolBar(programToolBar, {newFileAction, openFileAction, saveFileAction, saveAsAction, nullptr, compileAction,
                                 writeAction, readAction, nullptr, cellLabel, cellComboBox, nullptr, cellsAction});
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
    ui->plainTextEdit->showCompile(result);
    program = result.records;
    // A source without a name line keeps the name of an earlier compile.
    if (result.nameSet)
        programName = result.programName;
    compileFailed = result.failed ? 1 : 0;
    ui->textEdit->setErrorMarks(result.errors);
}

// Transfers

TransferTarget MainWindow::transferTarget() const
{
    TransferTarget target;
    target.address = quint8(slaveIdSpinBox->value());
    target.cell = cellComboBox->currentIndex();
    return target;
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
        ui->plainTextEdit->clearMessages();
        // program and programName are copied here: a NewFile or another
        // edit while the upload waits for replies does not change what goes out.
        uploadProgram(deviceLink, program, programName, transferTarget(),
                      [this](const QString &line) { appendPaneLine(line); });
    }
    finishTransfer();
}

void MainWindow::ReadLineFromDevice()
{
    if (transferRunning || !mayReplaceText())
        return;
    const TransferTarget target = transferTarget();
    ui->plainTextEdit->clearMessages();
    transferRunning = true;
    setTransferActionsEnabled(false);
    downloadProgram(
        deviceLink, target, operandCodes, comparisonCodes,
        [this](const QString &line) { appendPaneLine(line); },
        // As plain text: a name such as "<b>" must not be taken for markup.
        [this](const QStringList &lines) {
            ui->textEdit->setPlainText(lines.join(QLatin1Char('\n')));
            ui->textEdit->moveCursor(QTextCursor::End);
        });
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

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (mayReplaceText())
        event->accept();
    else
        event->ignore();
}

bool MainWindow::mayReplaceText()
{
    return unsavedChanges->settle(this, *dialogs, [this] { return saveCurrentFile(); });
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
    QString cause;
    if (!openSerialPort(*serialPort, portComboBox->currentText().trimmed(), cause)) {
        dialogs->critical(this, tr("Error"), tr("Не удается открыть порт"), cause);
        return;
    }
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

void MainWindow::NewFile()
{
    // Not while the window is built: there is nothing to lose yet.
    if (unsavedChanges && !mayReplaceText())
        return;
    ui->textEdit->clear();
    // Loaded text is unmodified; the caret goes where appending it would
    // leave it, so typing goes on after the name line.
    ui->textEdit->setPlainText(defaultProgramText);
    ui->textEdit->moveCursor(QTextCursor::End);
    ui->plainTextEdit->clearMessages();
    program.clear();
}

void MainWindow::OpenFile()
{
    QString text;
    if (!mayReplaceText() || !sourceFiles->open(*dialogs, text))
        return;
    ui->textEdit->setPlainText(text);
    saveFileAction->setEnabled(false);
}

void MainWindow::SaveFile()
{
    saveCurrentFile();
}

bool MainWindow::saveCurrentFile()
{
    return saved(sourceFiles->save(*dialogs, ui->textEdit->toPlainText()));
}

void MainWindow::SaveAsFile()
{
    saved(sourceFiles->saveAs(*dialogs, ui->textEdit->toPlainText()));
}

bool MainWindow::saved(bool success)
{
    if (success) {
        saveFileAction->setEnabled(false);
        ui->textEdit->document()->setModified(false);
    }
    return success;
}
