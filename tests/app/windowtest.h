#ifndef WINDOWTEST_H
#define WINDOWTEST_H

#include "app/mainwindow.h"
#include "fakedialogs.h"

#include <QAction>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QtTest>

#include <memory>

inline QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

inline bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The ground of the suites that drive the whole window through FakeDialogs.
class WindowTest : public QObject
{
public:
    WindowTest() { QStandardPaths::setTestModeEnabled(true); }

protected:
    // A new window with fresh answers; the old one goes first.
    void startWindow()
    {
        window.reset();
        dialogs = FakeDialogs();
        window = std::make_unique<MainWindow>();
        window->setDialogs(&dialogs);
    }
    template <typename T> T *child(const char *name) const { return window->findChild<T *>(QLatin1String(name)); }
    QAction *action(const char *name) const { return child<QAction>(name); }
    QTextEdit *editor() const { return child<QTextEdit>("textEdit"); }
    QPlainTextEdit *pane() const { return child<QPlainTextEdit>("plainTextEdit"); }
    // "1" or "0" for each action named, in order.
    QString enabled(std::initializer_list<const char *> names) const
    {
        QString states;
        for (const char *name : names)
            states += action(name)->isEnabled() ? '1' : '0';
        return states;
    }
    void connectPort(const QString &name)
    {
        child<QComboBox>("portComboBox")->setEditText(name);
        action("connectAction")->trigger();
    }
    // Starts the emulator on the state file, with extra options, and connects to it.
    template <typename Device>
    bool connectTo(Device &device, const QStringList &extra = QStringList())
    {
        if (!device.start(QStringList{"--state", state} + extra, false))
            return false;
        connectPort(device.portName());
        return action("readAction")->isEnabled();
    }

    std::unique_ptr<MainWindow> window;
    FakeDialogs dialogs;
    QTemporaryDir dir;
    QString state; // the emulator's state file
};

#endif
