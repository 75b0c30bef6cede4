#ifndef DEVICECELLS_H
#define DEVICECELLS_H

#include <QString>
#include <QVector>
#include <functional>

#include "transfer/storedcell.h"

class DeviceLink;

// Called after every request of a cell transfer; returning false stops the
// work there, before the next request (the cell is then incomplete).
using RequestDone = std::function<bool()>;

// What the count and name registers of a cell say.
struct CellSummary
{
    int count = 0;
    QString name;
};

// Each returns false with a reason in error when a request fails (or the
// work is stopped); the reason names the step.
bool readCellSummary(DeviceLink &link, quint8 address, int cell, CellSummary &summary,
                     QString &error);
// Count, name and every record image; a count above a cell's capacity is
// refused before any record is asked for.
bool readStoredCell(DeviceLink &link, quint8 address, int cell, StoredCell &stored,
                    QString &error, const RequestDone &requestDone = {});
// Every record, then the count, then the name: the order of an upload, so
// that an interrupted write never leaves a new count over old records.
bool writeStoredCell(DeviceLink &link, quint8 address, const StoredCell &stored, QString &error,
                     const RequestDone &requestDone = {});
// Empty when the two hold the same count, name bytes and images; otherwise
// the differences, one phrase each.
QString cellDifferences(const StoredCell &expected, const StoredCell &actual);

// One read of cell 1's count register, one try within the command time
// limit: does anything answer at this address?
bool probeAddress(DeviceLink &link, quint8 address);

// Restore of several cells into one device, each written, read back and
// compared in turn.
struct RestoreReport
{
    QVector<int> verified;  // cells (0 to 3) written and read back unchanged
    QVector<int> different; // cells written but read back otherwise
    bool ended = false;     // a request failed or the work was stopped: later cells untouched
    QString failure;        // then: why
};
// cellDone(cell, ok, text) after each cell: text is the difference or the
// failure when !ok.
using CellDone = std::function<void(int cell, bool ok, const QString &text)>;
RestoreReport restoreCells(DeviceLink &link, quint8 address, const QVector<StoredCell> &cells,
                           const CellDone &cellDone, const RequestDone &requestDone = {});

// "1, 2 и 4", or "нет" for none: the cells (0 to 3) as the user numbers them.
QString cellList(QVector<int> cells);

#endif
