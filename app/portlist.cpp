#include "app/portlist.h"

#include <QDir>
#include <QSerialPortInfo>

QStringList portChoices(const QString &listedInEnvironment, const QStringList &found)
{
    QStringList choices;
    const QStringList listed = listedInEnvironment.split(QDir::listSeparator(), Qt::SkipEmptyParts);
    for (const QString &name : listed) {
        const QString trimmed = name.trimmed();
        if (!trimmed.isEmpty() && !choices.contains(trimmed))
            choices.append(trimmed);
    }
    for (const QString &name : found) {
        if (!choices.contains(name))
            choices.append(name);
    }
    return choices;
}

QStringList systemPortNames()
{
    QStringList found;
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : ports)
        found.append(info.portName());
    return found;
}

QStringList availablePortChoices()
{
    return portChoices(qEnvironmentVariable("QUILLMAR_PORTS"), systemPortNames());
}
