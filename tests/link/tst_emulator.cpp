#include <QTemporaryDir>
#include <QtTest>

#include "emulator/deviceresponder.h"
#include "emulator/devicewire.h"
#include "emulator/lineadapter.h"
#include "emulator/requestassembler.h"
#include "emulatorprocess.h"

// The emulated power supply: its request handling, memory, faults and
// state file.
class TestEmulator : public QObject
{
    Q_OBJECT

private slots:
    void replies_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QByteArray>("reply"); // hex without CRC; empty: no request at all

        const auto row = [](const char *tag, const QByteArray &hex, const QByteArray &reply, bool lower = false) {
            QTest::newRow(tag) << DeviceWire::encode(DeviceWire::withCrc(QByteArray::fromHex(hex)), lower) << reply;
        };
        const QByteArray record = "0100640000000000000000000000";
        row("read record 100", "00C8B00264", "C800B082");
        row("write record 100", "00C8B012" + record + "64", "C800B092");
        row("write count 101", "00C8B71265", "C800B792");
        row("write 4-char name", "00C8B81250726731", "C800B892");
        row("unknown register", "00C8BC0200", "C800BC82");
        row("unknown function", "00C8B403", "C800B483");
        row("lower case", "00C8BA02", QByteArray(), true);
        QTest::newRow("bad crc") << QByteArray("#00C8B4020000\r") << QByteArray();
    }

    void replies()
    {
        QFETCH(QByteArray, frame);
        QFETCH(QByteArray, reply);
        const std::optional<DeviceRequest> parsed = DeviceResponder::parse(frame);
        QCOMPARE(parsed.has_value(), !reply.isEmpty());
        if (!parsed)
            return;
        DeviceResponder device;
        bool stored = false;
        const QByteArray expected = DeviceWire::withCrc(QByteArray::fromHex(reply));
        QCOMPARE(device.respond(*parsed, &stored).toHex().toUpper(), expected.toHex().toUpper());
        QCOMPARE(stored, quint8(expected.at(3)) == DeviceResponder::Acknowledged);
    }

    void assembler()
    {
        RequestAssembler assembler;
        QCOMPARE(assembler.feed("noise\r#01#02\r#03"), QList<QByteArray>{"#02\r"});
        QCOMPARE(assembler.feed("\r" + QByteArray(2000, 'A') + "\r"), QList<QByteArray>{"#03\r"});
    }

    // The emulator refuses to start on a damaged state (cut short, one bit
    // flipped, not a state at all) and leaves it alone.
    void stateFileRejectsDamage()
    {
        DeviceMemory memory;
        memory.setName(2, "Abc12");
        QByteArray flipped = memory.toBytes();
        flipped[700] = char(flipped.at(700) ^ 1);
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("cells.bin")));
        for (const QByteArray &damaged : {memory.toBytes().chopped(100), flipped, QByteArray("not a state")}) {
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(damaged) == damaged.size());
            file.close();
            QProcess process;
            process.start(QStringLiteral(QUILLMAR_DEVICE), {"--state", file.fileName()});
            QVERIFY(process.waitForFinished(5000));
            QCOMPARE(process.exitCode(), 2);
            QVERIFY(process.readAllStandardError().contains("damaged"));
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), damaged);
            file.close();
        }
    }

    void lineShapesDelivery_data()
    {
        QTest::addColumn<QString>("args");
        QTest::addColumn<QByteArray>("received"); // all the computer gets back
        const QByteArray request = "#00C8B402F91D\r";
        const QByteArray reply = "#C800B4020064C4\r";
        QTest::newRow("echo at the line's pace") << "--echo --pace" << request + reply;
        QTest::newRow("echo in bursts") << "--echo --latency 16" << request + reply;
    }

    void lineShapesDelivery()
    {
        QFETCH(QString, args);
        EmulatorProcess emulator;
        QVERIFY(emulator.start(args.split(QLatin1Char(' '))));
        emulator.port().write("#00C8B402F91D\r");
        QElapsedTimer clock;
        clock.start();
        QByteArray got;
        while (clock.elapsed() < 500) { // long enough for anything extra to show too
            if (emulator.port().waitForReadyRead(50))
                got += emulator.port().readAll();
        }
        QTEST(got, "received");
    }

    void latencyTicks()
    {
        const LineAdapter bursts(false, 16);
        QCOMPARE(QVector<qint64>({bursts.deliveredUs(0), bursts.deliveredUs(1), bursts.deliveredUs(16000),
                                  bursts.deliveredUs(16001), LineAdapter(true, 0).deliveredUs(16001)}),
                 QVector<qint64>({0, 16000, 16000, 32000, 16001}));
    }
};

QTEST_GUILESS_MAIN(TestEmulator)
#include "tst_emulator.moc"
