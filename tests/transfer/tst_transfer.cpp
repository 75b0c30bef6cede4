#include <QTemporaryDir>
#include <QtTest>

#include "emulatorprocess.h"
#include "lang/compiler.h"
#include "link/devicelink.h"
#include "transfer/programdownload.h"
#include "transfer/programupload.h"
#include "transfer/programverify.h"
#include "transfertesthelpers.h"

using namespace TransferTest;

Q_DECLARE_METATYPE(QVector<InstructionRecord>)

// The transfers themselves, against the emulated device on a pseudo-terminal.
class TestTransfer : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        lines.clear();
        state = dir.filePath(QString::fromLatin1(QTest::currentTestFunction()) + ".state");
        QFile::remove(state);
    }

    void upload_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QStringList>("faults");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<int>("requests");

        const QString head = QStringLiteral("Запись данных в устройство");
        const QStringList sent{head, "Строка 0 записана", "Строка 1 записана", "Строка 2 записана"};
        QTest::newRow("three records") << threeRecordSource << QStringList()
            << sent + QStringList{"Size записан", "PrgName \"Prg1\" записан\n", "Данные успешно записаны"} << 5;
        QTest::newRow("no records") << "prgName = \"Prg1\";\n// nothing\n" << QStringList()
            << QStringList{head, "Нет данных для записи"} << 0;
        QTest::newRow("count refused") << threeRecordSource << QStringList{"nak:4"}
            << sent + QStringList{"Ошибка записи size"} << 4;
        QTest::newRow("name refused") << threeRecordSource << QStringList{"nak:5"}
            << sent + QStringList{"Size записан", "Ошибка записи prgName"} << 5;
        QTest::newRow("100 records") << countingSource(100) << QStringList() << QStringList() << 102;
        QTest::newRow("101 records") << countingSource(101) << QStringList()
            << QStringList{head, "Ошибка: программа длиннее 100 строк"} << 0;
        QTest::newRow("Cyrillic name") << "prgName = \"Пр1\";\nnop;\n" << QStringList()
            << QStringList{head, "Ошибка: имя программы должно состоять из латинских символов"} << 0;
        QTest::newRow("Cyrillic name, 101 records") << countingSource(101).replace("Many", "Мн") << QStringList()
            << QStringList{head, "Ошибка: программа длиннее 100 строк"} << 0;
    }

    void upload()
    {
        QFETCH(QString, source);
        QFETCH(QStringList, faults);
        QFETCH(QStringList, expected);
        EmulatorProcess device;
        QVERIFY(startDevice(device, faults));

        const CompileResult program =
            Compiler(makeStatementPatterns(), makeOperandCodes(), makeComparisonCodes()).compile(source);
        QVERIFY(!program.failed);
        const UploadResult result = uploadProgram(link, program.records, program.programName, {0, 2}, collect);
        if (!expected.isEmpty())
            QCOMPARE(lines, expected);
        // Killed outright: what was acknowledged must already be on disk.
        device.kill();
        QTEST(device.requestCount(), "requests");
        if (result == UploadResult::Stored) {
            const DeviceMemory memory = readState(state);
            QCOMPARE(memory.count(2), program.records.size());
            QCOMPARE(memory.record(2, memory.count(2) - 1), program.records.last().toImage());
            QCOMPARE(lines.last(), QStringLiteral("Данные успешно записаны"));
        }
    }

    void download_data()
    {
        QTest::addColumn<QVector<InstructionRecord>>("stored");
        QTest::addColumn<QStringList>("faults");
        QTest::addColumn<QStringList>("expected");  // the pane lines after the first
        QTest::addColumn<QStringList>("source");    // delivered on success only
        QTest::addColumn<int>("requests");

        const QVector<InstructionRecord> three = compiled(threeRecordSource);
        const QStringList read{"Всего строк 3", "prgName = \"Prg1 \"", "Строка 0 считана", "Строка 1 считана",
                               "Строка 2 считана"};
        const QString done = QStringLiteral("Данные успешно считаны и декодированы");
        QTest::newRow("three records") << three << QStringList() << read + QStringList{done}
                                        << QStringList{"prgName = \"Prg1\";", "", "#1;", "Us = 5;", "jmp #1;"} << 5;
        QTest::newRow("count fails") << three << QStringList{"badcrc:1", "short:2"}
                                     << QStringList{"error: ошибка чтения size"} << QStringList() << 2;
        QTest::newRow("name fails") << three << QStringList{"lowercase:2", "wrongaddr:3"}
                                    << QStringList{"Всего строк 3", "error: ошибка чтения prgName"} << QStringList() << 3;
        QTest::newRow("line 2 fails") << three << QStringList{"nak:5", "badcrc:6"}
                                      << read.mid(0, 4) + QStringList{"error: ошибка чтения строки"} << QStringList() << 6;
        QTest::newRow("count beyond 100") << three << QStringList{"overfull:1"}
                                          << QStringList{"error: некорректное кол-во строк"} << QStringList() << 1;
        QTest::newRow("empty cell") << QVector<InstructionRecord>() << QStringList()
                                    << QStringList{"Нет записей для чтения"} << QStringList() << 1;

        QStringList hundred{"Всего строк 100", "prgName = \"Many \""};
        QStringList hundredSource{"prgName = \"Many\";", ""};
        for (int j = 0; j < 100; ++j) {
            hundred << QStringLiteral("Строка %1 считана").arg(j);
            hundredSource << QStringLiteral("Us = %1;").arg(j);
        }
        QTest::newRow("100 records") << compiled(countingSource(100)) << QStringList() << hundred + QStringList{done}
                                     << hundredSource << 102;

        InstructionRecord label;
        label.func = 10;
        label.arg1 = 7;
        QTest::newRow("repeated label") << QVector<InstructionRecord>{label, InstructionRecord(), label}
                                        << QStringList() << read + QStringList{"error: повтор ссылки #7"}
                                        << QStringList() << 5;
    }

    void download()
    {
        QFETCH(QVector<InstructionRecord>, stored);
        QFETCH(QStringList, faults);
        QFETCH(QStringList, expected);
        QVERIFY(writeCell(state, 3, stored, stored.size() == 100 ? "Many " : "Prg1 "));
        EmulatorProcess device;
        QVERIFY(startDevice(device, faults));

        QStringList source;
        const DownloadResult result = downloadProgram(link, {0, 3}, makeOperandCodes(), makeComparisonCodes(), collect,
                                                      [&source](const QStringList &decoded) { source = decoded; });
        QCOMPARE(lines, QStringList{"Чтение данных из устройства"} + expected);
        QTEST(source, "source");
        QCOMPARE(result == DownloadResult::Decoded, !source.isEmpty());
        device.stop();
        QTEST(device.requestCount(), "requests");
    }

    void verify_data()
    {
        QTest::addColumn<QString>("storedName");
        QTest::addColumn<int>("changedRecord");  // -1: none
        QTest::addColumn<int>("extraRecords");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("name") << "Prg2 " << -1 << 0 << QStringList{"Проверка: имя \"Prg2 \" вместо \"Prg1 \""};
        QTest::newRow("record 1") << "Prg1 " << 1 << 0 << QStringList{"Проверка: строка 1 отличается"};
        QTest::newRow("count") << "Prg1 " << -1 << 1 << QStringList{"Проверка: кол-во строк 4 вместо 3"};
    }

    void verify()
    {
        QFETCH(QString, storedName);
        QFETCH(int, changedRecord);
        QFETCH(int, extraRecords);
        const QVector<InstructionRecord> sent = compiled(threeRecordSource);
        QVector<InstructionRecord> stored = sent;
        if (changedRecord >= 0)
            stored[changedRecord].arg1 += 1;
        stored.append(QVector<InstructionRecord>(extraRecords));
        QVERIFY(writeCell(state, 0, stored, storedName.toLatin1()));
        EmulatorProcess device;
        QVERIFY(startDevice(device));
        QVERIFY(!verifyProgram(link, sent, "Prg1", {0, 0}, collect));
        QTEST(lines, "expected");
    }


private:
    bool startDevice(EmulatorProcess &device, const QStringList &faults = QStringList())
    {
        QStringList args{"--state", state};
        for (const QString &fault : faults)
            args << "--fault" << fault;
        if (!device.start(args))
            return false;
        link.setPort(&device.port());
        return true;
    }

    QStringList lines;
    PaneLine collect = [this](const QString &line) { lines.append(line); };
    DeviceLink link;
    QTemporaryDir dir;
    QString state;
};

QTEST_MAIN(TestTransfer)
#include "tst_transfer.moc"
