#include <QRandomGenerator>
#include <QtTest>

#include <climits>
#include <numeric>

#include "lang/compiler.h"
#include "lang/recorddecoder.h"

// compile -> decode -> compile gives back the same records and name, for
// random programs the compiler accepts.
class TestRoundTrip : public QObject
{
    Q_OBJECT

private slots:
    void randomPrograms();

private:
    QString randomProgram(const QString &name);
    QString pick(const QStringList &list) { return list.at(m_random.bounded(list.size())); }
    QString space(int least) { return QString(least + m_random.bounded(3), m_random.bounded(4) ? ' ' : '\t'); }
    QString number()
    {
        const int kind = m_random.bounded(5);
        return kind == 0 ? QString::number(INT_MIN) : kind == 1 ? QString::number(INT_MAX)
            : kind == 2 ? QStringLiteral("-0%1").arg(m_random.bounded(10))
                        : QString::number(m_random.bounded(-100000, 100000));
    }

    QRandomGenerator m_random{4711};
    const QStringList m_dest{"Us", "Uo", "Is", "Io", "Out", "M1", "M2", "M3", "M4", "M5", "M6", "M7", "M8",
                             "T1", "T2", "T3", "T4", "K1", "ExIn", "ExOut"};
};

QString TestRoundTrip::randomProgram(const QString &name)
{
    // Distinct labels at random positions, at least one.
    const int count = 1 + m_random.bounded(100);
    QVector<int> pool(100);
    std::iota(pool.begin(), pool.end(), 0);
    std::shuffle(pool.begin(), pool.end(), m_random);
    QVector<int> labelAt(count, -1);
    QVector<int> labels;
    for (int p = 0; p < count; ++p) {
        if (m_random.bounded(4) == 0 || (p == count - 1 && labels.isEmpty()))
            labels << (labelAt[p] = pool.at(labels.size()));
    }
    auto target = [&](bool padded) {
        const int l = labels.at(m_random.bounded(labels.size()));
        return QString::fromLatin1(padded && l < 10 ? "#0%1" : "#%1").arg(l);
    };
    auto value = [&](bool withRo) {
        if (m_random.bounded(2))
            return number();
        return withRo && m_random.bounded(5) == 0 ? QStringLiteral("Ro") : pick(m_dest);
    };

    QStringList lines{QStringLiteral("prgName%1=%1\"%2\"%1;").arg(space(0), name)};
    for (int i = 0; i < count; ++i) {
        if (m_random.bounded(6) == 0)
            lines << (m_random.bounded(2) ? QStringLiteral("// comment") : space(0));
        if (labelAt.at(i) >= 0) {
            lines << space(0) + QStringLiteral("#%1;").arg(labelAt.at(i)) + space(0);
            continue;
        }
        switch (m_random.bounded(7)) {
        case 0: lines << space(0) + "nop" + space(0) + ";"; break;
        case 1: {
            const QString op = pick({"=", "+=", "-=", "/=", "*="});
            lines << pick(m_dest) + space(0) + op + space(0) + value(op == QLatin1String("=")) + ";";
            break;
        }
        case 2: {
            QString line = "if " + pick(m_dest) + space(0) + pick({"==", "!=", "<", "<=", ">", ">="}) + space(0)
                + value(false) + space(1) + target(m_random.bounded(4) == 0);
            // An else branch to the label at position 0 cannot be written.
            const QString otherwise = target(false);
            if (m_random.bounded(2) && otherwise != QStringLiteral("#%1").arg(labelAt.at(0)))
                line += space(1) + "else " + otherwise;
            lines << line + space(0) + ";";
            break;
        }
        case 3: lines << "jmp" + space(1) + target(m_random.bounded(4) == 0) + ";"; break;
        case 4: lines << "delay_ms" + space(1) + QString::number(m_random.bounded(INT_MAX)) + ";"; break;
        case 5: lines << "delay_s" + space(1) + QString::number(m_random.bounded(1000)) + ";"; break;
        default: lines << pick(m_dest) + " = " + number() + ";"; break;
        }
    }
    return lines.join(m_random.bounded(2) ? QStringLiteral("\n") : QStringLiteral("\n\n"));
}

void TestRoundTrip::randomPrograms()
{
    const Compiler compiler(makeStatementPatterns(), makeOperandCodes(), makeComparisonCodes());
    const QStringList nameChars{"A", "z", "0", "9", "_", "Ж", "я", "P", "r", "g"};
    for (int run = 0; run < 3000; ++run) {
        QString name;
        for (int i = m_random.bounded(5); i >= 0; --i)
            name += pick(nameChars);
        const CompileResult first = compiler.compile(randomProgram(name));
        QVERIFY2(!first.failed, qPrintable(first.paneText.right(300)));
        QCOMPARE(first.programName, name);

        // As it comes back from the device: padded to five with spaces.
        const DecodedProgram text = decodeProgram(first.records, name.leftJustified(5, QLatin1Char(' ')),
                                                  makeOperandCodes(), makeComparisonCodes());
        QVERIFY2(text.ok, qPrintable(text.message));
        const CompileResult second = compiler.compile(text.lines.join(QLatin1Char('\n')));
        QVERIFY2(!second.failed, qPrintable(second.paneText));
        QCOMPARE(second.records, first.records);
        QCOMPARE(second.programName, name);
    }
}

QTEST_APPLESS_MAIN(TestRoundTrip)
#include "tst_roundtrip.moc"
