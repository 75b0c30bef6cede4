#ifndef LINEADAPTER_H
#define LINEADAPTER_H

#include <QtGlobal>

// The serial adapter between the computer and the device, as far as it
// shapes what each side sees: a two-wire RS-485 adapter without echo
// suppression returns every character it transmits, and a USB adapter's
// latency timer hands characters over in bursts, one every latency period.
class LineAdapter
{
public:
    static constexpr int MaxLatencyMs = 1000;

    LineAdapter() = default;
    LineAdapter(bool echo, int latencyMs);

    bool echoes() const { return m_echo; }
    int latencyMs() const { return m_latencyUs / 1000; }
    // When a character ready for the other side at readyUs (on a clock that
    // started with the adapter) reaches it: at once without a latency
    // timer, else at the timer's next tick, which may be readyUs itself.
    qint64 deliveredUs(qint64 readyUs) const;

private:
    bool m_echo = false;
    qint64 m_latencyUs = 0;
};

#endif
