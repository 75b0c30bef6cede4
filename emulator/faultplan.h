#ifndef FAULTPLAN_H
#define FAULTPLAN_H

#include <QByteArray>
#include <QList>
#include <QString>

class QRandomGenerator;

// Line faults injected into the replies to chosen requests. Requests are
// counted from 1 over every complete frame received ("#" through CR),
// well-formed or not, addressed to this device or not.
struct Faults
{
    bool drop = false;      // no reply; the request is not carried out
    int delayMs = 0;        // reply this late
    bool badCrc = false;    // CRC of the reply damaged
    bool nak = false;       // refused (status other than 0x1F), not carried out
    bool lowerCase = false; // lower-case hex digits
    bool garbage = false;   // noise before the start character
    bool split = false;     // the reply in several pieces with pauses
    bool wrongAddress = false; // byte 0 not the requester's address
    bool shortReply = false;   // one byte too few, CRC valid over the rest
    bool hangup = false;    // close the line and exit instead of replying
    bool overfull = false;  // the last data byte reads 101, a count no cell can hold
};

class FaultPlan
{
public:
    // "kind:N", "kind:every" or "delay:N:MS" / "delay:every:MS".
    bool add(const QString &option, QString *error);
    Faults faultsFor(int requestNumber) const;
    static QStringList kinds();
    // The reply text for reply bytes (CRC included) under faults, in the
    // pieces it goes out in (several only for split).
    static QList<QByteArray> shapeReply(QByteArray bytes, const Faults &faults);
    // Line noise: each character replaced, with the given probability in
    // percent, by one of the 255 other byte values.
    static QByteArray corrupt(QByteArray text, double percent, QRandomGenerator &random);

private:
    struct Entry
    {
        QString kind;
        int request = 0; // 0: every request
        int delayMs = 0;
    };
    QList<Entry> m_entries;
};

#endif
