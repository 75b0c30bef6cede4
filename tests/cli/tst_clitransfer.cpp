#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "emulatorprocess.h"

// quillmar-cli upload, download and ports against the emulated device.
class TestCliTransfer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void uploadVerifyDownload();
    void run_data();
    void run();
    void linesAppearAsTheyHappen();
    void help_data();
    void help();

private:
    QString write(const QString &name, const QByteArray &bytes);
    void start(QProcess &process, const QStringList &arguments);
    int runCli(const QStringList &arguments, QByteArray &out, QByteArray &err);

    QTemporaryDir m_dir;
};

namespace {

const QByteArray example = "prgName = \"Test\";\n\n#1;\nUs = 100;\nif Us < M1 #1 else #2;\ndelay_ms 500;\n#2;\njmp #1;";
const QByteArray paneOfExample = "Запись данных в устройство\nСтрока 0 записана\nСтрока 1 записана\n"
                                 "Строка 2 записана\nСтрока 3 записана\nСтрока 4 записана\nСтрока 5 записана\n"
                                 "Size записан\nPrgName \"Test\" записан\n\nДанные успешно записаны\n";

} // namespace

void TestCliTransfer::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

QString TestCliTransfer::write(const QString &name, const QByteArray &bytes)
{
    QFile file(m_dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    file.write(bytes);
    return file.fileName();
}

void TestCliTransfer::start(QProcess &process, const QStringList &arguments)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(QUILLMAR_CLI), arguments);
}

int TestCliTransfer::runCli(const QStringList &arguments, QByteArray &out, QByteArray &err)
{
    QProcess process;
    start(process, arguments);
    if (!process.waitForFinished(30000))
        return -1;
    out = process.readAllStandardOutput();
    err = process.readAllStandardError();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

void TestCliTransfer::uploadVerifyDownload()
{
    EmulatorProcess device;
    QVERIFY(device.start({}, false));
    const QString port = device.portName();
    const QString source = write("example.prgx", example);
    QByteArray out, err;

    QCOMPARE(runCli({"upload", "--port", port, "--cell", "3", "--verify", source}, out, err), 0);
    QCOMPARE(out, paneOfExample + "Проверка пройдена\n");
    QCOMPARE(err, QByteArray());

    const QByteArray pane = "Чтение данных из устройства\nВсего строк 6\nprgName = \"Test \"\nСтрока 0 считана\n"
                            "Строка 1 считана\nСтрока 2 считана\nСтрока 3 считана\nСтрока 4 считана\n"
                            "Строка 5 считана\nДанные успешно считаны и декодированы\n";
    QCOMPARE(runCli({"download", "--port", port, "--cell=3"}, out, err), 0);
    QCOMPARE(out, example + '\n');
    QCOMPARE(err, pane);

    const QString saved = m_dir.filePath("saved.prgx");
    QCOMPARE(runCli({"download", "--port", port, "--cell", "3", "-o", saved}, out, err), 0);
    QCOMPARE(out, pane);
    QFile file(saved);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), example);

    // An empty cell leaves the file as it was.
    QCOMPARE(runCli({"download", "--port", port, "-o", saved}, out, err), 1);
    QCOMPARE(out, QByteArray("Чтение данных из устройства\nНет записей для чтения\n"));
    file.seek(0);
    QCOMPARE(file.readAll(), example);
}

void TestCliTransfer::run_data()
{
    QTest::addColumn<QStringList>("arguments");   // "@port": the emulator's terminal, "@file": a source file
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("outEnd");       // standard output ends with this
    QTest::addColumn<QByteArray>("err");          // standard error contains this
    QTest::addColumn<int>("requests");

    const QStringList upload{"upload", "--port", "@port", "@file"};
    QTest::newRow("compile error") << upload << QByteArray("Us == 5;\n") << QStringList() << 1
                                   << QByteArray("Компиляция:\nerror: Us == 5;\n\n") << QByteArray() << 0;
    QTest::newRow("record 1 refused") << upload << example << QStringList{"nak:2"} << 1
                                      << QByteArray("Строка 0 записана\nОшибка записи\n") << QByteArray() << 2;
    QTest::newRow("device hangs up") << upload << example << QStringList{"hangup:3"} << 1
                                     << QByteArray("Строка 1 записана\nОшибка записи\n") << QByteArray() << 3;
    QTest::newRow("read-back fails") << upload + QStringList{"--verify"} << example
                                     << QStringList{"badcrc:9", "badcrc:10"} << 1
                                     << paneOfExample + "Проверка: ошибка чтения size\n" << QByteArray() << 10;
    QTest::newRow("trace asked") << QStringList{"download", "--port", "@port", "--trace"} << QByteArray()
                                 << QStringList() << 1 << QByteArray() << QByteArray("Call GetLine") << 1;
    QTest::newRow("other address") << QStringList{"download", "--port", "@port", "--address", "7"} << QByteArray()
                                   << QStringList() << 1 << QByteArray() << QByteArray("error: ошибка чтения size")
                                   << 2;
    QTest::newRow("port missing") << QStringList{"upload", "--port", "/nonexistent/tty", "@file"} << example
                                  << QStringList() << 2 << QByteArray() << QByteArray("Не удается открыть порт") << 0;
    QTest::newRow("no port") << QStringList{"download"} << QByteArray() << QStringList() << 2 << QByteArray()
                             << QByteArray("--port PORT is required") << 0;
    QTest::newRow("cell 5") << QStringList{"download", "--port", "@port", "--cell", "5"} << QByteArray()
                            << QStringList() << 2 << QByteArray() << QByteArray("--cell must be 1 to 4") << 0;
    QTest::newRow("address 256") << QStringList{"upload", "--port", "@port", "--address", "256", "@file"} << example
                                 << QStringList() << 2 << QByteArray() << QByteArray("--address must be 0 to 255")
                                 << 0;
    QTest::newRow("no file") << QStringList{"upload", "--port", "@port"} << QByteArray() << QStringList() << 2
                             << QByteArray() << QByteArray("expects exactly one FILE") << 0;
    QTest::newRow("unknown option") << QStringList{"download", "--port", "@port", "--fast"} << QByteArray()
                                    << QStringList() << 2 << QByteArray() << QByteArray("fast") << 0;
    QTest::newRow("ports with arguments") << QStringList{"ports", "x"} << QByteArray() << QStringList() << 2
                                          << QByteArray() << QByteArray("takes no arguments") << 0;
}

void TestCliTransfer::run()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, source);
    QFETCH(QStringList, faults);
    QFETCH(QByteArray, outEnd);
    QFETCH(QByteArray, err);

    QStringList args;
    for (const QString &fault : faults)
        args << "--fault" << fault;
    EmulatorProcess device;
    QVERIFY(device.start(args, false));
    arguments.replaceInStrings("@port", device.portName());
    arguments.replaceInStrings("@file", write("p.prgx", source));

    QByteArray out, errOut;
    QTEST(runCli(arguments, out, errOut), "status");
    QVERIFY2(out.endsWith(outEnd), out.constData());
    QVERIFY2(errOut.contains(err), errOut.constData());
    // The trace is never mixed into the output, and appears only on demand.
    QVERIFY(!out.contains("Call GetLine"));
    QCOMPARE(errOut.contains("Call GetLine"), arguments.contains("--trace"));
    device.stop();
    QTEST(device.requestCount(), "requests");
}

void TestCliTransfer::linesAppearAsTheyHappen()
{
    EmulatorProcess device;
    // The third record's reply comes too late for all three sends, so the
    // upload goes on for three time limits after the second record.
    QVERIFY(device.start({"--fault", "delay:3:3000"}, false));
    QProcess process;
    start(process, {"upload", "--port", device.portName(), write("late.prgx", example)});
    QByteArray out;
    while (!out.contains("Строка 1 записана") && process.waitForReadyRead(10000))
        out += process.readAllStandardOutput();
    QVERIFY(out.contains("Строка 1 записана"));
    QCOMPARE(process.state(), QProcess::Running);
    QVERIFY(process.waitForFinished(20000));
    QVERIFY((out + process.readAllStandardOutput()).endsWith("Строка 1 записана\nОшибка записи\n"));
}

void TestCliTransfer::help_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("upload") << "upload";
    QTest::newRow("download") << "download";
    QTest::newRow("ports") << "ports";
}

void TestCliTransfer::help()
{
    QFETCH(QString, command);
    QByteArray out, err;
    QCOMPARE(runCli({command, "--help"}, out, err), 0);
    QVERIFY(out.startsWith("Usage: quillmar-cli " + command.toLatin1()));
    QVERIFY(err.isEmpty());
}

QTEST_MAIN(TestCliTransfer)
#include "tst_clitransfer.moc"
