#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "emulatorprocess.h"

#include <memory>

namespace {

const QByteArray example = "prgName = \"Test\";\n\n#1;\nUs = 100;\nif Us < M1 #1 else #2;\ndelay_ms 500;\n#2;\njmp #1;";
const QByteArray uploadEnd = "Строка 5 записана\nSize записан\nPrgName \"Test\" записан\n\nДанные успешно записаны\n";

// "...tail" matches an output ending in tail, "head..." one starting with
// head, "...part..." one containing part; anything else the whole output.
bool matches(const QByteArray &got, const QByteArray &want)
{
    const bool anyStart = want.startsWith("..."), anyEnd = want.size() > 3 && want.endsWith("...");
    const QByteArray core = want.mid(anyStart ? 3 : 0, want.size() - (anyStart ? 3 : 0) - (anyEnd ? 3 : 0));
    if (anyStart && anyEnd)
        return got.contains(core);
    return anyStart ? got.endsWith(core) : anyEnd ? got.startsWith(core) : got == core;
}

} // namespace

// Runs the built quillmar-cli, alone or against the emulated device, and
// checks what it prints and how it exits.
class TestCli : public QObject
{
    Q_OBJECT

private slots:
    void run_data()
    {
        QTest::addColumn<QStringList>("arguments"); // "@port": the emulator's terminal; "@x": file x, from input
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("out");        // see matches(); "%f" stands for the file's path
        QTest::addColumn<QByteArray>("err");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QStringList>("faults");     // "kind:N", or emulator options from "-"
        QTest::addColumn<int>("requests");
        const auto row = [](const char *tag, const QString &arguments, int status, const QByteArray &out,
                            const QByteArray &err, const QByteArray &input = {}, const QStringList &faults = {},
                            int requests = 0) {
            QTest::newRow(tag) << arguments.split(QLatin1Char('|')) << status << out << err << input << faults << requests;
        };

        const QByteArray crlf = "prgName = \"Test\";\r\n#1;\rUs = 100;\nif Us < M1 #1 else #2;\ndelay_ms 500;\n#2;\njmp #1;\n";
        row("compile ok, CR LF and CR are line breaks", "compile|@p.prgx", 0, "...\nOK: 6/100\n", "", crlf);
        row("compile fails", "compile|@bad.prgx", 1, "...", "%f:1: error: Us == 5;\n", "Us == 5;\nnop;\n");
        row("compile, label errors", "compile|@e.prgx", 1, "...",
            "%f:4: error: if-else: ссылка #1 указывает на первую строку программы\n"
            "%f:5: error: jmp: ссылка #9 не найдена\n", "#1;\n\nnop;\nif Us > 1 #1 else #1;\njmp #9;\n");
        row("compile unreadable", "compile|/nonexistent/x.prgx", 2, "", "...cannot read...");
        row("dump", "dump|@d.prgx", 0, "0A00010000000000000000000000\n0100640000000000000000000000\n"
            "0280060000000200000000000400\n0400F40100000000000000000000\n0A00020000000000000000000000\n"
            "0300000000000000000000000000\n", "", crlf);
        row("dump takes one file", "dump|@d2.prgx|x", 2, "", "...expects exactly one FILE...", crlf);
        row("dump of a failing program", "dump|@df.prgx", 1, "", "...\nerror jmp: ссылка #4 не найдена\n", "jmp #4;");
        const QByteArray hex = "0A00010000000000000000000000\n\n0100640000000000000000000000\r\n"
                               "0280060000000200000000000400\n0400f40100000000000000000000\n"
                               "0A00020000000000000000000000\n0300000000000000000000000000\n";
        row("decode with the default name", "decode|@h.hex", 0, "prgName = \"Prg1\";\n...", "", hex);
        row("decode with a name", "decode|@h.hex|--name|Тест ", 0, "prgName = \"Тест\";\n\n#1;\nUs = 100;\n"
            "if Us < M1 #1 else #2;\ndelay_ms 500;\n#2;\njmp #1;\n", "", hex);
        row("decode bad line", "decode|@b.hex", 2, "", "...%f:3: error:...", "0000000000000000000000000000\n\n00zz\n");
        row("decode failure", "decode|@f.hex", 1, "", "...error: некорректная ссылка jmp #\n",
            "0300000000000000000000000000\n");
        row("help", "--help", 0, "Usage: quillmar-cli COMMAND...", "");
        row("version", "--version", 0, "quillmar-cli " QUILLMAR_VERSION "\n", "");
        row("unknown command", "flash", 2, "", "...unknown command...");

        row("upload, compile error", "upload|--port|@port|@p.prgx", 1, "Компиляция:\nerror: Us == 5;\n\n", "",
            "Us == 5;\n");
        row("upload, record 1 refused", "upload|--port|@port|@p.prgx", 1,
            "Запись данных в устройство\nСтрока 0 записана\nОшибка записи\n", "", example, {"nak:2"}, 2);
        row("upload, read-back fails", "upload|--port|@port|--verify|@p.prgx", 1,
            "..." + uploadEnd + "Проверка: ошибка чтения size\n", "", example, {"badcrc:9", "badcrc:10"}, 10);
        row("upload, port missing", "upload|--port|/nonexistent/tty|@p.prgx", 2, "", "...Не удается открыть порт...",
            example);
        row("download, traced on an echoing line", "download|--port|@port|--trace", 1, "", "...\nEcho\n...", {},
            {"--echo"}, 1);
        row("download, cell 5", "download|--port|@port|--cell|5", 2, "", "...--cell must be 1 to 4...");
        row("download, cell 0", "download|--port|@port|--cell|0", 2, "", "...--cell must be 1 to 4...");
        row("download, no port", "download", 2, "", "...--port PORT is required...");
        row("ports", "ports", 0, "...", "");
        row("ports with arguments", "ports|x", 2, "", "...takes no arguments...");
        row("cells json", "cells|--port|@port|--json", 0, "{\"address\":0,\"cells\":[{\"cell\":1,\"count\":0,"
            "\"name\":\"     \"},{\"cell\":2,\"count\":0,\"name\":\"     \"},{\"cell\":3,\"count\":0,\"name\":\"     \"},"
            "{\"cell\":4,\"count\":0,\"name\":\"     \"}]}\n", "Ячейка 1\nЯчейка 2\nЯчейка 3\nЯчейка 4\n", {}, {}, 8);
        row("cells, a name unanswered", "cells|--port|@port", 1,
            "1         0 записей\n2  ошибка: ошибка чтения prgName\n3         0 записей\n...", "...", {},
            {"drop:4", "drop:5"}, 9);
        row("backup without -o", "backup|--port|x", 2, "", "...-o FILE is required...");
        row("backup, bad cells", "backup|--port|x|--cells|1,1|-o|f", 2, "", "...--cells must list...");
        row("restore, refused file sends nothing", "restore|--port|@port|@r.qmbackup", 2, "",
            "quillmar-cli restore: %f: version: неизвестная версия\n", "{\"format\": \"quillmar-backup\", \"version\": 7}");
        row("restore, cell not in the copy", "restore|--port|@port|--cells|2|@c.qmbackup", 2, "",
            "...the copy holds no cell 2...", "{\"format\": \"quillmar-backup\", \"version\": 1, \"address\": 0, "
            "\"cells\": [{\"cell\": 1, \"name\": \"Demo \", \"count\": 0, \"records\": []}]}");
        row("restore, bad address list", "restore|--port|x|--address|1,256|f", 2, "", "...--address must list...");
        row("scan, bad range", "scan|--port|x|--addresses|9-3", 2, "", "...--addresses must be A-B...");
        row("scan, nothing answers", "scan|--port|@port|--addresses|1-2|--json", 1, "{\"found\":[]}\n", "...адрес 2\n",
            {}, {}, 2);
    }

    void run()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, input);
        QFETCH(QStringList, faults);
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, err);

        std::unique_ptr<EmulatorProcess> device;
        QString file;
        for (QString &arg : arguments) {
            if (arg == QLatin1String("@port")) {
                QStringList args;
                for (const QString &fault : faults)
                    args << (fault.startsWith(QLatin1Char('-')) ? fault.split(QLatin1Char(' ')) : QStringList{"--fault", fault});
                device = std::make_unique<EmulatorProcess>();
                QVERIFY(device->start(args, false));
                arg = device->portName();
            } else if (arg.startsWith(QLatin1Char('@'))) {
                arg = file = write(arg.mid(1), input);
            }
        }
        QByteArray gotOut, gotErr;
        QTEST(runCli(arguments, gotOut, gotErr), "status");
        QVERIFY2(matches(gotOut, out.replace("%f", file.toUtf8())), gotOut.constData());
        QVERIFY2(matches(gotErr, err.replace("%f", file.toUtf8())), gotErr.constData());
        // The trace appears only on demand, and only on standard error.
        QCOMPARE(gotErr.contains("Call GetLine"), arguments.contains("--trace"));
        QVERIFY(!gotOut.contains("Call GetLine"));
        if (device) {
            device->stop();
            QTEST(device->requestCount(), "requests");
        }
    }

    void uploadVerifyDownload()
    {
        EmulatorProcess device;
        QVERIFY(device.start({}, false));
        const QString port = device.portName();
        QByteArray out, err;
        QCOMPARE(runCli({"upload", "--port", port, "--cell", "3", "--verify", write("example.prgx", example)}, out, err), 0);
        QVERIFY2(out.startsWith("Запись данных в устройство\n") && out.endsWith(uploadEnd + "Проверка пройдена\n"),
                 out.constData());
        QCOMPARE(err, QByteArray());

        // The pane goes to standard error while the source goes to standard
        // output, and to standard output when the source goes to a file.
        const QByteArray paneEnd = "Строка 5 считана\nДанные успешно считаны и декодированы\n";
        QCOMPARE(runCli({"download", "--port", port, "--cell=3"}, out, err), 0);
        QCOMPARE(out, example + '\n');
        QVERIFY2(err.startsWith("Чтение данных из устройства\n") && err.endsWith(paneEnd), err.constData());

        const QString saved = m_dir.filePath("saved.prgx");
        QCOMPARE(runCli({"download", "--port", port, "--cell", "3", "-o", saved}, out, err), 0);
        QVERIFY2(out.endsWith(paneEnd), out.constData());
        QCOMPARE(err, QByteArray());
        QFile file(saved);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), example);

        // An empty cell leaves the file as it was.
        QCOMPARE(runCli({"download", "--port", port, "-o", saved}, out, err), 1);
        QCOMPARE(out, QByteArray("Чтение данных из устройства\nНет записей для чтения\n"));
        file.seek(0);
        QCOMPARE(file.readAll(), example);
    }

    void linesAppearAsTheyHappen()
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

    void backupRestoreScan()
    {
        EmulatorProcess device;
        QVERIFY(device.start({"--address", "0", "--address", "7"}, false));
        const QString port = device.portName();
        QByteArray out, err;
        QCOMPARE(runCli({"upload", "--port", port, "--cell", "2", write("b.prgx", example)}, out, err), 0);
        QCOMPARE(runCli({"cells", "--port", port}, out, err), 0);
        QCOMPARE(out, QByteArray("1         0 записей\n2  Test   6 записей\n3         0 записей\n4         0 записей\n"));
        QCOMPARE(runCli({"cells", "--port", port, "--address", "7", "--json"}, out, err), 0);
        QVERIFY2(out.contains("{\"cell\":2,\"count\":0,\"name\":\"     \"}"), out.constData());

        const QString copy = m_dir.filePath("device.qmbackup");
        QCOMPARE(runCli({"backup", "--port", port, "--cells", "2,4", "-o", copy}, out, err), 0);
        QVERIFY2(out.endsWith("Копия сохранена: " + copy.toUtf8() + '\n'), out.constData());
        QCOMPARE(err, QByteArray("Ячейка 2\nЯчейка 4\n"));
        // A failed backup leaves the earlier copy as it was.
        QFile file(copy);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray saved = file.readAll();
        QCOMPARE(runCli({"backup", "--port", port, "--address", "9", "-o", copy}, out, err), 1);
        QCOMPARE(out, QByteArray("Ячейка 1: ошибка чтения size\nКопия не сохранена\n"));
        file.seek(0);
        QCOMPARE(file.readAll(), saved);

        // Address 9 does not answer: its work ends, address 7 is still done.
        QCOMPARE(runCli({"restore", "--port", port, "--address", "9,7", copy}, out, err), 1);
        QCOMPARE(out, QByteArray("Адрес 9, ячейка 2: ошибка записи строки 0\n"
                                 "Адрес 9: работа прекращена, полностью восстановлены ячейки: нет\n"
                                 "Адрес 7, ячейка 2: записано и проверено\nАдрес 7, ячейка 4: записано и проверено\n"
                                 "Итог: записано и проверено 2 из 4\n"));
        QCOMPARE(runCli({"restore", "--port", port, "--address", "7", "--cells", "4", copy}, out, err), 0);
        QCOMPARE(out, QByteArray("Адрес 7, ячейка 4: записано и проверено\nИтог: записано и проверено 1 из 1\n"));

        QCOMPARE(runCli({"scan", "--port", port, "--addresses", "5-8"}, out, err), 0);
        QCOMPARE(out, port.toUtf8() + "  адрес 7\n");
        QVERIFY(err.endsWith("Порт " + port.toUtf8() + ", адрес 8\n"));
        // The ports named in QUILLMAR_PORTS are the default.
        qputenv("QUILLMAR_PORTS", port.toUtf8());
        QCOMPARE(runCli({"scan", "--addresses", "0-1", "--json"}, out, err), 0);
        qunsetenv("QUILLMAR_PORTS");
        QCOMPARE(out, "{\"found\":[{\"address\":0,\"port\":\"" + port.toUtf8() + "\"}]}\n");
    }


private:
    QString write(const QString &name, const QByteArray &bytes)
    {
        QFile file(m_dir.filePath(name));
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() ? file.fileName() : QString();
    }

    void start(QProcess &process, const QStringList &arguments)
    {
        // A locale that cannot show Cyrillic must not change a byte of output.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
        env.insert(QStringLiteral("LANG"), QStringLiteral("C"));
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(QUILLMAR_CLI), arguments);
    }

    int runCli(const QStringList &arguments, QByteArray &out, QByteArray &err)
    {
        QProcess process;
        start(process, arguments);
        if (!process.waitForFinished(60000))
            return -1;
        out = process.readAllStandardOutput();
        err = process.readAllStandardError();
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }


    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
