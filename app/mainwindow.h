#ifndef MAINWINDOW_H
#define MAINWINDOW_H

#include "lang/instructionrecord.h"
#include "lang/languagetables.h"
#include "link/devicelink.h"
#include "transfer/transfertarget.h"

#include <QMainWindow>
#include <QSerialPort>
#include <QSettings>
#include <QVector>

#include <memory>

class QAction;
class QComboBox;
class QLabel;
class PortComboBox;
class SourceFiles;
class UnsavedChanges;
class QSpinBox;
class QToolBar;
class Dialogs;
class Compiler;
class Highlighter;

namespace Ui {
class MainWindow;
}

// The one window: source editor, output pane, the two tool bars with the
// serial-port controls and the ten actions. Every user command is a slot.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // Switches compile, write and read together around a transfer.
    void setTransferActionsEnabled(bool enabled);

    // Replaces the dialogs and message boxes (tests answer them). The window
    // does not take ownership; nullptr restores the standard dialogs.
    void setDialogs(Dialogs *replacement);

public slots:
    void checkText();
    void OpenPort();
    void ClosePort();
    void SaveAsFile();
    void SaveFile();
    void OpenFile();
    void NewFile();
    void SaveLineToDevice();
    void ReadLineFromDevice();
    void TextChanges();
    void About();

protected:
    // Asks before unsaved edits are thrown away; Cancel keeps the window.
    void closeEvent(QCloseEvent *event) override;

signals:
    // The open port failed (device unplugged, peer gone) and was closed.
    void portLost();

private:
    void buildToolBars();
    void createActions();
    void setConnected(bool connected);
    void handlePortError(QSerialPort::SerialPortError error);
    bool saveCurrentFile();
    // After a save: on success the text counts as saved. Returns success.
    bool saved(bool success);
    // False when the user keeps the edited text (Cancel, or its save failed).
    bool mayReplaceText();
    TransferTarget transferTarget() const;
    void appendPaneLine(const QString &line);
    void finishTransfer();
    void showDeviceCells();

    Ui::MainWindow *ui;
    QLabel *portLabel = nullptr;
    QLabel *slaveIdLabel = nullptr;
    QLabel *cellLabel = nullptr;
    PortComboBox *portComboBox = nullptr;
    QSpinBox *slaveIdSpinBox = nullptr;
    QAction *connectAction = nullptr;
    QAction *disconnectAction = nullptr;
    QAction *newFileAction = nullptr;
    QComboBox *cellComboBox = nullptr;
    QAction *openFileAction = nullptr;
    QAction *saveFileAction = nullptr;
    QAction *saveAsAction = nullptr;
    QAction *compileAction = nullptr;
    QAction *writeAction = nullptr;
    QAction *readAction = nullptr;
    QAction *aboutAction = nullptr;
    QAction *cellsAction = nullptr;
    QSerialPort *serialPort = nullptr;
    DeviceLink deviceLink;
    QToolBar *programToolBar = nullptr;
    std::unique_ptr<QSettings> settings;
    CodeTable operandCodes;
    CodeTable comparisonCodes;
    QVector<InstructionRecord> program;
    QString programName;
    Highlighter *highlighter = nullptr;
    qint32 compileFailed = 0;

    std::unique_ptr<Compiler> compiler;
    // An upload or download is under way (it spins the event loop, so the
    // port may be closed and opened again meanwhile).
    bool transferRunning = false;

    std::unique_ptr<SourceFiles> sourceFiles;
    std::unique_ptr<UnsavedChanges> unsavedChanges;
    std::unique_ptr<Dialogs> standardDialogs;
    Dialogs *dialogs = nullptr;
};

#endif
