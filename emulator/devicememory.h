#ifndef DEVICEMEMORY_H
#define DEVICEMEMORY_H

#include <QByteArray>
#include <QString>
#include <array>

// The four program memory cells of the power supply: up to 100 records of
// 14 bytes, a record count and a five-character name each.
class DeviceMemory
{
public:
    static constexpr int Cells = 4;
    static constexpr int Capacity = 100;
    static constexpr int RecordSize = 14;
    static constexpr int NameSize = 5;

    DeviceMemory();

    QByteArray record(int cell, int index) const;
    void setRecord(int cell, int index, const QByteArray &image);
    int count(int cell) const;
    void setCount(int cell, int count);
    QByteArray name(int cell) const;
    void setName(int cell, const QByteArray &name);

    // The state file: a tag, the cells, and a CRC over all of it.
    QByteArray toBytes() const;
    // Refuses (false, with a reason) anything that is not a whole, intact
    // state; the memory is then unchanged.
    bool fromBytes(const QByteArray &bytes, QString *error);

    friend bool operator==(const DeviceMemory &a, const DeviceMemory &b)
    {
        return a.toBytes() == b.toBytes();
    }

private:
    struct Cell
    {
        QByteArray records;
        int count = 0;
        QByteArray name;
    };
    std::array<Cell, Cells> m_cells;
};

#endif
