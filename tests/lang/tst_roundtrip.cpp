#include <QRandomGenerator>
#include <QtTest>

#include <climits>

#include "lang/compiler.h"
#include "lang/recorddecoder.h"

// compile -> decode -> compile gives back the same records and name, for
// programs the compiler accepts.
class TestRoundTrip : public QObject
{
    Q_OBJECT

private slots:
    void randomPrograms();

private:
    QString randomProgram(QString &name);
    QString number();
    QString pick(const QStringList &list) { return list.at(m_random.bounded(list.size())); }
    QString space(int least) { return QString(least + m_random.bounded(3), m_random.bounded(4) ? ' ' : '\t'); }

    QRandomGenerator m_random{4711};
    const QStringList m_dest{"Us", "Uo", "Is", "Io", "Out", "M1", "M2", "M3", "M4", "M5", "M6", "M7", "M8",
                             "T1", "T2", "T3", "T4", "K1", "ExIn", "ExOut"};
    const QStringList m_compare{"==", "!=", "<", "<=", ">", ">="};
    const QStringList m_assign{"=", "+=", "-=", "/=", "*="};
    const QStringList m_nameChars{"A", "z", "0", "9", "_", "Ж", "я", "P", "r", "g"};
};

QString TestRoundTrip::number()
{
    switch (m_random.bounded(5)) {
    case 0: return QString::number(INT_MIN);
    case 1: return QString::number(INT_MAX);
    case 2: return QStringLiteral("-0") + QString::number(m_random.bounded(10));
    default: return QString::number(m_random.bounded(-100000, 100000));
    }
}

QString TestRoundTrip::randomProgram(QString &name)
{
    name.clear();
    const int nameLength = 1 + m_random.bounded(5);
    for (int i = 0; i < nameLength; ++i)
        name += pick(m_nameChars);

    // Distinct labels; the position of each is known once the statements
    // are placed, so else branches can avoid the label at position 0.
    const int count = 1 + m_random.bounded(100);
    QVector<int> labels;
    for (int l = 0; l < 100; ++l)
        labels << l;
    std::shuffle(labels.begin(), labels.end(), m_random);
    labels.resize(1 + m_random.bounded(qMin(count, 20)));
    QVector<int> positions;
    for (int p = 0; p < count; ++p)
        positions << p;
    std::shuffle(positions.begin(), positions.end(), m_random);
    QVector<int> labelAt(count, -1);
    for (int i = 0; i < labels.size(); ++i)
        labelAt[positions.at(i)] = labels.at(i);
    const int firstLabel = labelAt.at(0);

    auto target = [&]() {
        const int l = labels.at(m_random.bounded(labels.size()));
        return (m_random.bounded(4) == 0 && l < 10 ? QStringLiteral("#0") : QStringLiteral("#")) + QString::number(l);
    };
    auto value = [&](bool withRo) {
        if (m_random.bounded(2))
            return number();
        return withRo && m_random.bounded(5) == 0 ? QStringLiteral("Ro") : pick(m_dest);
    };

    QStringList lines{QStringLiteral("prgName%1=%1\"%2\"%1;").arg(space(0), name)};
    for (int i = 0; i < count; ++i) {
        if (m_random.bounded(6) == 0)
            lines << (m_random.bounded(2) ? QStringLiteral("// comment") : QString(space(0)));
        if (labelAt.at(i) >= 0) {
            lines << space(0) + QStringLiteral("#%1;").arg(labelAt.at(i)) + space(0);
            continue;
        }
        switch (m_random.bounded(7)) {
        case 0: lines << space(0) + QStringLiteral("nop") + space(0) + QStringLiteral(";"); break;
        case 1: {
            const QString op = pick(m_assign);
            lines << pick(m_dest) + space(0) + op + space(0) + value(op == QLatin1String("=")) + ";";
            break;
        }
        case 2: {
            QString line = "if " + pick(m_dest) + space(0) + pick(m_compare) + space(0) + value(false) + space(1) + target();
            if (m_random.bounded(2)) {
                int l = labels.at(m_random.bounded(labels.size()));
                if (l != firstLabel)
                    line += space(1) + "else " + "#" + QString::number(l);
            }
            lines << line + space(0) + ";";
            break;
        }
        case 3: lines << "jmp" + space(1) + target() + ";"; break;
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
    for (int run = 0; run < 3000; ++run) {
        QString name;
        const QString source = randomProgram(name);
        const CompileResult first = compiler.compile(source);
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
