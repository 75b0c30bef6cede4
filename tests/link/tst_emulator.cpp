#include <QTemporaryDir>
#include <QtTest>

#include "emulator/deviceresponder.h"
#include "emulator/devicewire.h"
#include "emulatorprocess.h"
#include "emulator/faultplan.h"
#include "emulator/requestassembler.h"
#include "lang/instructionrecord.h"
#include "link/devicecommands.h"
#include "link/devicelink.h"

namespace {

QByteArray request(const char *hex)
{
    return DeviceWire::encode(DeviceWire::withCrc(QByteArray::fromHex(hex)));
}

} // namespace

// The emulated power supply: its request handling, memory, faults and
// state file.
class TestEmulator : public QObject
{
    Q_OBJECT

private slots:
    void replies_data();
    void replies();
    void assembler();
    void stateFileRejectsDamage_data();
    void stateFileRejectsDamage();
    void faultSpecs_data();
    void faultSpecs();
    void stateSurvivesRestart();
    void damagedStateRefused();
};

void TestEmulator::replies_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QByteArray>("reply"); // hex without CRC; empty: no request at all

    QTest::newRow("read empty count") << request("00C8B502") << QByteArray("C800B50200");
    QTest::newRow("read empty name") << request("00C8BB02") << QByteArray("C800BB022020202020");
    QTest::newRow("read empty record") << request("00C8B30263")
                                       << QByteArray("C800B302") + QByteArray(28, '0');
    QTest::newRow("read record 100") << request("00C8B00264") << QByteArray("C800B082");
    QTest::newRow("read count with data") << request("00C8B40201") << QByteArray("C800B482");
    QTest::newRow("write record") << request("00C8B012" "0100640000000000000000000000" "63")
                                  << QByteArray("C800B01F");
    QTest::newRow("write record 100") << request("00C8B012" "0100640000000000000000000000" "64")
                                      << QByteArray("C800B092");
    QTest::newRow("write short record") << request("00C8B012" "01006400000000000000000000" "01")
                                        << QByteArray("C800B092");
    QTest::newRow("write count 100") << request("00C8B71264") << QByteArray("C800B71F");
    QTest::newRow("write count 101") << request("00C8B71265") << QByteArray("C800B792");
    QTest::newRow("write name") << request("0007B8125072673120") << QByteArray("0700B81F");
    QTest::newRow("write 4-char name") << request("00C8B81250726731") << QByteArray("C800B892");
    QTest::newRow("unknown register") << request("00C8BC0200") << QByteArray("C800BC82");
    QTest::newRow("unknown function") << request("00C8B403") << QByteArray("C800B483");
    QTest::newRow("lower case") << request("00C8BA02").toLower() << QByteArray();
    QTest::newRow("bad crc") << QByteArray("#00C8B4020000\r") << QByteArray();
    QTest::newRow("header only") << QByteArray("#00C8\r") << QByteArray();
}

void TestEmulator::replies()
{
    QFETCH(QByteArray, frame);
    QFETCH(QByteArray, reply);
    DeviceResponder device;
    const std::optional<DeviceRequest> parsed = DeviceResponder::parse(frame);
    QCOMPARE(parsed.has_value(), !reply.isEmpty());
    if (!parsed)
        return;
    bool stored = false;
    const QByteArray expected = DeviceWire::withCrc(QByteArray::fromHex(reply));
    QCOMPARE(device.respond(*parsed, &stored).toHex().toUpper(), expected.toHex().toUpper());
    QCOMPARE(stored, quint8(expected.at(3)) == DeviceResponder::Acknowledged);
}

void TestEmulator::assembler()
{
    RequestAssembler assembler;
    const QList<QByteArray> frames = assembler.feed(QByteArray("noise\r#01#02") + "\r#03");
    QCOMPARE(frames, QList<QByteArray>{"#02\r"});
    QCOMPARE(assembler.feed("\r" + QByteArray(2000, 'A') + "\r"), QList<QByteArray>{"#03\r"});
}

void TestEmulator::stateFileRejectsDamage_data()
{
    QTest::addColumn<int>("at");
    QTest::addColumn<int>("cut");

    QTest::newRow("tag") << 0 << 0;
    QTest::newRow("one record byte") << 700 << 0;
    QTest::newRow("checksum") << -1 << 0;
    QTest::newRow("truncated") << -1 << 100;
}

void TestEmulator::stateFileRejectsDamage()
{
    QFETCH(int, at);
    QFETCH(int, cut);
    DeviceMemory memory;
    memory.setName(2, "Abc12");
    memory.setCount(2, 3);
    QByteArray bytes = memory.toBytes();
    DeviceMemory loaded;
    QVERIFY(loaded.fromBytes(bytes, nullptr));
    QVERIFY(loaded == memory);

    if (cut > 0)
        bytes.chop(cut);
    else
        bytes[at < 0 ? bytes.size() + at : at] = char(bytes.at(at < 0 ? bytes.size() + at : at) ^ 1);
    DeviceMemory untouched;
    QString error;
    QVERIFY(!untouched.fromBytes(bytes, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(untouched == DeviceMemory());
}

void TestEmulator::faultSpecs_data()
{
    QTest::addColumn<QString>("spec");
    QTest::addColumn<bool>("valid");

    QTest::newRow("drop") << "drop:3" << true;
    QTest::newRow("every") << "badcrc:every" << true;
    QTest::newRow("delay") << "delay:2:150" << true;
    QTest::newRow("delay without ms") << "delay:2" << false;
    QTest::newRow("zero") << "drop:0" << false;
    QTest::newRow("unknown") << "melt:1" << false;
    QTest::newRow("extra part") << "nak:1:2" << false;
}

void TestEmulator::faultSpecs()
{
    QFETCH(QString, spec);
    QFETCH(bool, valid);
    FaultPlan plan;
    QString error;
    QCOMPARE(plan.add(spec, &error), valid);
    QCOMPARE(error.isEmpty(), valid);
}

void TestEmulator::stateSurvivesRestart()
{
    QTemporaryDir dir;
    const QString state = dir.filePath(QStringLiteral("cells.bin"));
    InstructionRecord r;
    r.func = 4;
    r.arg1 = 1500;
    {
        EmulatorProcess emulator;
        QVERIFY(emulator.start({"--state", state}));
        DeviceLink link;
        link.setTraceDevice(nullptr);
        link.setPort(&emulator.port());
        QCOMPARE(link.writeProgramLine(0, r, 7, 3, WriteFunction), LinkResult::Ok);
        QCOMPARE(link.writeProgramSize(0, 8, 3, WriteFunction), LinkResult::Ok);
        QCOMPARE(link.writeProgramName(0, QStringLiteral("Keep"), 3, WriteFunction), LinkResult::Ok);
        // Killed outright: what was acknowledged must already be on disk.
        emulator.kill();
    }
    EmulatorProcess emulator;
    QVERIFY(emulator.start({"--state", state}));
    DeviceLink link;
    link.setTraceDevice(nullptr);
    link.setPort(&emulator.port());
    InstructionRecord got;
    int count = 0;
    QString name;
    QCOMPARE(link.readProgramLine(0, got, 7, 3, ReadFunction), LinkResult::Ok);
    QCOMPARE(got, r);
    QCOMPARE(link.readProgramSize(0, count, 3, ReadFunction), LinkResult::Ok);
    QCOMPARE(count, 8);
    QCOMPARE(link.readProgramName(0, name, 3, ReadFunction), LinkResult::Ok);
    QCOMPARE(name, QStringLiteral("Keep "));
    QCOMPARE(emulator.stop(), 0);
}

void TestEmulator::damagedStateRefused()
{
    QTemporaryDir dir;
    const QString state = dir.filePath(QStringLiteral("cells.bin"));
    QFile file(state);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("not a state");
    file.close();
    QProcess process;
    process.start(QStringLiteral(QUILLMAR_DEVICE), {"--state", state});
    QVERIFY(process.waitForFinished(5000));
    QCOMPARE(process.exitCode(), 2);
    QVERIFY(process.readAllStandardError().contains("damaged"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("not a state"));
}

QTEST_GUILESS_MAIN(TestEmulator)
#include "tst_emulator.moc"
