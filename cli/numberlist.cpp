#include "numberlist.h"

#include <QStringList>

namespace {

bool numberIn(const QString &text, int low, int high, int &value)
{
    bool ok = false;
    value = text.trimmed().toInt(&ok);
    return ok && value >= low && value <= high;
}

} // namespace

bool parseNumberList(const QString &text, int low, int high, QVector<int> &numbers)
{
    numbers.clear();
    const QStringList parts = text.split(QLatin1Char(','));
    for (const QString &part : parts) {
        int value = 0;
        if (!numberIn(part, low, high, value) || numbers.contains(value))
            return false;
        numbers.append(value);
    }
    return true;
}

bool parseNumberRange(const QString &text, int low, int high, QVector<int> &numbers)
{
    numbers.clear();
    const QStringList parts = text.split(QLatin1Char('-'));
    int first = 0;
    int last = 0;
    if (parts.size() > 2 || !numberIn(parts.first(), low, high, first)
        || !numberIn(parts.last(), low, high, last) || first > last)
        return false;
    for (int value = first; value <= last; ++value)
        numbers.append(value);
    return true;
}
