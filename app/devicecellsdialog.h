#ifndef DEVICECELLSDIALOG_H
#define DEVICECELLSDIALOG_H

#include <QDialog>
#include <QVector>

#include "transfer/storedcell.h"

class DeviceLink;
class Dialogs;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableWidget;

// "Ячейки прибора": what the four memory cells of one device hold, and the
// backup and restore of the whole device. The slave address is taken when
// the dialog opens. While it talks to the device it reports busyChanged, so
// that the window keeps its own transfers off meanwhile.
class DeviceCellsDialog : public QDialog
{
    Q_OBJECT

public:
    DeviceCellsDialog(DeviceLink &link, quint8 address, Dialogs *dialogs, QWidget *parent = nullptr);

    // Reads the count and name of every cell into the table.
    void refresh();
    void backUp();
    void restore();
    // Stops the backup or restore after the request under way.
    void stop();

    void reject() override;

signals:
    void busyChanged(bool busy);
    // The window downloads this cell (0 to 3) as its own "Считать из прибора".
    void readIntoEditor(int cell);

private:
    void setBusy(bool busy, int totalRequests = 0);
    bool requestDone();
    void report(const QString &text);
    QString chooseFile(bool forSaving);

    DeviceLink &m_link;
    quint8 m_address;
    Dialogs *m_dialogs;
    QTableWidget *m_table = nullptr;
    QPushButton *m_refreshButton = nullptr;
    QPushButton *m_readButton = nullptr;
    QPushButton *m_backupButton = nullptr;
    QPushButton *m_restoreButton = nullptr;
    QPushButton *m_stopButton = nullptr;
    QProgressBar *m_progress = nullptr;
    QLabel *m_status = nullptr;
    QVector<int> m_counts; // as last read; -1 when unknown
    bool m_busy = false;
    bool m_stopRequested = false;
};

#endif
