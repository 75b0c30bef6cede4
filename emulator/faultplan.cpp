#include "faultplan.h"

#include <QRandomGenerator>
#include <QStringList>

#include "devicewire.h"

QStringList FaultPlan::kinds()
{
    return {QStringLiteral("drop"),    QStringLiteral("delay"),     QStringLiteral("badcrc"),
            QStringLiteral("nak"),     QStringLiteral("lowercase"), QStringLiteral("garbage"),
            QStringLiteral("split"),   QStringLiteral("wrongaddr"), QStringLiteral("short"),
            QStringLiteral("hangup"),  QStringLiteral("overfull")};
}

bool FaultPlan::add(const QString &option, QString *error)
{
    auto fail = [error, &option](const QString &why) {
        if (error)
            *error = QStringLiteral("bad fault \"%1\": %2").arg(option, why);
        return false;
    };
    const QStringList parts = option.split(QLatin1Char(':'));
    Entry entry;
    entry.kind = parts.value(0);
    if (!kinds().contains(entry.kind))
        return fail(QStringLiteral("unknown kind"));
    const bool isDelay = entry.kind == QLatin1String("delay");
    if (parts.size() != (isDelay ? 3 : 2))
        return fail(isDelay ? QStringLiteral("expected delay:N:MS")
                            : QStringLiteral("expected kind:N"));
    if (parts.at(1) != QLatin1String("every")) {
        bool ok = false;
        entry.request = parts.at(1).toInt(&ok);
        if (!ok || entry.request < 1)
            return fail(QStringLiteral("N must be a request number from 1, or \"every\""));
    }
    if (isDelay) {
        bool ok = false;
        entry.delayMs = parts.at(2).toInt(&ok);
        if (!ok || entry.delayMs < 0 || entry.delayMs > 600000)
            return fail(QStringLiteral("MS must be 0 to 600000"));
    }
    m_entries.append(entry);
    return true;
}

Faults FaultPlan::faultsFor(int requestNumber) const
{
    Faults faults;
    for (const Entry &e : m_entries) {
        if (e.request != 0 && e.request != requestNumber)
            continue;
        const QString &k = e.kind;
        if (k == QLatin1String("drop"))
            faults.drop = true;
        else if (k == QLatin1String("delay"))
            faults.delayMs += e.delayMs;
        else if (k == QLatin1String("badcrc"))
            faults.badCrc = true;
        else if (k == QLatin1String("nak"))
            faults.nak = true;
        else if (k == QLatin1String("lowercase"))
            faults.lowerCase = true;
        else if (k == QLatin1String("garbage"))
            faults.garbage = true;
        else if (k == QLatin1String("split"))
            faults.split = true;
        else if (k == QLatin1String("wrongaddr"))
            faults.wrongAddress = true;
        else if (k == QLatin1String("short"))
            faults.shortReply = true;
        else if (k == QLatin1String("hangup"))
            faults.hangup = true;
        else if (k == QLatin1String("overfull"))
            faults.overfull = true;
    }
    return faults;
}

QList<QByteArray> FaultPlan::shapeReply(QByteArray bytes, const Faults &faults)
{
    constexpr int CrcSize = 2;
    if (faults.wrongAddress || faults.shortReply || faults.overfull) {
        QByteArray body = bytes.left(bytes.size() - CrcSize);
        if (faults.wrongAddress && !body.isEmpty())
            body[0] = char(quint8(body.at(0)) + 1);
        if (faults.overfull && body.size() > 4)
            body[body.size() - 1] = char(101);
        if (faults.shortReply && !body.isEmpty())
            body.chop(1);
        bytes = DeviceWire::withCrc(body);
    }
    if (faults.badCrc && !bytes.isEmpty())
        bytes[bytes.size() - 1] = char(bytes.back() ^ 0x5A);
    QByteArray text = DeviceWire::encode(bytes, faults.lowerCase);
    if (faults.garbage)
        text.prepend(QByteArrayLiteral("\x00\xff~noise 12AB\n"));
    if (!faults.split)
        return {text};
    const int third = qMax(1, int(text.size() / 3));
    return {text.left(third), text.mid(third, third), text.mid(2 * third)};
}

QByteArray FaultPlan::corrupt(QByteArray text, double percent, QRandomGenerator &random)
{
    if (percent <= 0)
        return text;
    for (char &c : text) {
        if (random.generateDouble() * 100.0 < percent)
            c = char(quint8(c) ^ quint8(1 + random.bounded(255)));
    }
    return text;
}
