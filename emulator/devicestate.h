#ifndef DEVICESTATE_H
#define DEVICESTATE_H

#include <QByteArray>
#include <QString>
#include <map>

#include "devicememory.h"

// The memories of every slave address on the line, as one state file. A
// single address is stored in the one-device form (what every earlier run
// wrote), so such files stay readable both ways; several addresses get a
// tag of their own, then for each its number and its one-device bytes, and
// a CRC over all of it.
namespace DeviceState {

QByteArray toBytes(const std::map<quint8, DeviceMemory> &memories);
// A one-device file belongs to firstAddress. Refuses (false, with a reason)
// anything damaged; memories is then unchanged.
bool fromBytes(const QByteArray &bytes, quint8 firstAddress,
               std::map<quint8, DeviceMemory> &memories, QString *error);

} // namespace DeviceState

#endif
