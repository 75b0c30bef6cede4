#ifndef DEVICEBACKUP_H
#define DEVICEBACKUP_H

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QVector>

#include "transfer/storedcell.h"

// A copy of a device's memory cells: the .qmbackup file, JSON in UTF-8.
struct DeviceBackup
{
    QDateTime saved;
    int address = 0;
    QVector<StoredCell> cells;

    // The file's text: each record as 28 upper-case hex digits, and the
    // decoded source beside the records (null when they do not decode),
    // for people reading the file.
    QByteArray toJson() const;
    // Checks the whole text before taking anything: false, with a reason
    // naming the place, for anything restore could not send as it stands.
    bool fromJson(const QByteArray &text, QString &error);

    // Replaces path only once every byte is written.
    bool save(const QString &path, QString &error) const;
    bool load(const QString &path, QString &error);
};

#endif
