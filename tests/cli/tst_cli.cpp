#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// Runs the built quillmar-cli and checks what it prints and how it exits.
class TestCli : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void run_data();
    void run();
    void errorLinesNameFileAndLine();

private:
    QString write(const QString &name, const QByteArray &bytes);
    int runCli(const QStringList &arguments, QByteArray &out, QByteArray &err);

    QTemporaryDir m_dir;
};

void TestCli::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

QString TestCli::write(const QString &name, const QByteArray &bytes)
{
    QFile file(m_dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    file.write(bytes);
    return file.fileName();
}

int TestCli::runCli(const QStringList &arguments, QByteArray &out, QByteArray &err)
{
    QProcess process;
    // A locale that cannot show Cyrillic must not change a byte of output.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    env.insert(QStringLiteral("LANG"), QStringLiteral("C"));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(QUILLMAR_CLI), arguments);
    if (!process.waitForFinished(60000))
        return -1;
    out = process.readAllStandardOutput();
    err = process.readAllStandardError();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

void TestCli::run_data()
{
    QTest::addColumn<QStringList>("arguments");   // "@name" is a file written from `input`
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QByteArray>("err");           // checked to contain this; empty: stderr empty

    const QByteArray example = "prgName = \"Test\";\r\n#1;\rUs = 100;\nif Us < M1 #1 else #2;\n"
                               "delay_ms 500;\n#2;\njmp #1;\n";
    QTest::newRow("compile ok, CR LF and CR are line breaks")
        << QStringList{"compile", "@p.prgx"} << example << 0
        << QByteArray("Компиляция:\nprgName = \"Test\";\n#1;\nUs = 100;\n>func:1 oper:0 arg1:100 arg3:0 arg3:0 arg4:0\n"
                      "if Us < M1 #1 else #2;\ndelay_ms 500;\n#2;\njmp #1;\n>func:3 oper:0 arg1:1 arg3:0 arg3:0 arg4:0\n"
                      "\nOK: 6/100\n")
        << QByteArray();
    QTest::newRow("compile fails") << QStringList{"compile", "@bad.prgx"} << QByteArray("Us == 5;\nnop;\n") << 1
                                   << QByteArray("Компиляция:\nerror: Us == 5;\nnop;\n\n")
                                   << QByteArray(":1: error: Us == 5;\n");
    QTest::newRow("compile unreadable") << QStringList{"compile", "/nonexistent/x.prgx"} << QByteArray() << 2
                                        << QByteArray() << QByteArray("cannot read");
    QTest::newRow("compile without file") << QStringList{"compile"} << QByteArray() << 2 << QByteArray()
                                          << QByteArray("expects exactly one FILE");
    QTest::newRow("dump") << QStringList{"dump", "@d.prgx"} << example << 0
                          << QByteArray("0A00010000000000000000000000\n0100640000000000000000000000\n"
                                        "0280060000000200000000000400\n0400F40100000000000000000000\n"
                                        "0A00020000000000000000000000\n0300000000000000000000000000\n")
                          << QByteArray();
    QTest::newRow("dump of a failing program") << QStringList{"dump", "@df.prgx"} << QByteArray("jmp #4;")
                                               << 1 << QByteArray()
                                               << QByteArray("\nerror jmp: ссылка #4 не найдена\n");
    const QByteArray hex = "0A00010000000000000000000000\n\n0100640000000000000000000000\r\n"
                           "0280060000000200000000000400\n0400f40100000000000000000000\n"
                           "0A00020000000000000000000000\n0300000000000000000000000000\n";
    const QByteArray decoded = "\n#1;\nUs = 100;\nif Us < M1 #1 else #2;\ndelay_ms 500;\n#2;\njmp #1;\n";
    QTest::newRow("decode with the default name") << QStringList{"decode", "@h.hex"} << hex << 0
                                                  << "prgName = \"Prg1\";\n" + decoded << QByteArray();
    QTest::newRow("decode with a name") << QStringList{"decode", "@h.hex", "--name", "Тест "} << hex << 0
                                        << "prgName = \"Тест\";\n" + decoded << QByteArray();
    QTest::newRow("decode name too long") << QStringList{"decode", "@h.hex", "--name", "Abcdef"} << hex << 2
                                          << QByteArray() << QByteArray("more than 5");
    QTest::newRow("decode bad line") << QStringList{"decode", "@b.hex"}
                                     << QByteArray("0000000000000000000000000000\n\n00zz\n") << 2 << QByteArray()
                                     << QByteArray("b.hex:3: error:");
    QTest::newRow("decode failure") << QStringList{"decode", "@f.hex"}
                                    << QByteArray("0300000000000000000000000000\n") << 1 << QByteArray()
                                    << QByteArray("error: некорректная ссылка jmp #\n");
    QTest::newRow("decode empty file") << QStringList{"decode", "@e.hex"} << QByteArray("\n\n") << 1 << QByteArray()
                                       << QByteArray("Нет записей для чтения\n");
    QTest::newRow("tool help") << QStringList{"--help"} << QByteArray() << 0 << QByteArray("Usage: quillmar-cli COMMAND")
                               << QByteArray();
    QTest::newRow("command help") << QStringList{"decode", "--help"} << QByteArray() << 0
                                  << QByteArray("Usage: quillmar-cli decode HEXFILE") << QByteArray();
    QTest::newRow("unknown command") << QStringList{"flash"} << QByteArray() << 2 << QByteArray()
                                     << QByteArray("unknown command");
}

void TestCli::run()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, input);
    QFETCH(int, status);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, err);

    for (QString &arg : arguments) {
        if (arg.startsWith(QLatin1Char('@')))
            arg = write(arg.mid(1), input);
    }
    QByteArray gotOut;
    QByteArray gotErr;
    QCOMPARE(runCli(arguments, gotOut, gotErr), status);
    if (arguments.contains(QStringLiteral("--help")))
        QVERIFY2(gotOut.startsWith(out), gotOut.constData());
    else
        QCOMPARE(gotOut, out);
    if (err.isEmpty())
        QCOMPARE(gotErr, QByteArray());
    else
        QVERIFY2(gotErr.contains(err), gotErr.constData());
}

void TestCli::errorLinesNameFileAndLine()
{
    const QString path = write(QStringLiteral("e.prgx"), "#1;\n\nnop;\nif Us > 1 #1 else #1;\njmp #9;\n");
    QByteArray out;
    QByteArray err;
    QCOMPARE(runCli({QStringLiteral("compile"), path}, out, err), 1);
    const QByteArray expected = (path + ":4: error: if-else: ссылка #1 указывает на первую строку программы\n"
                                 + path + ":5: error: jmp: ссылка #9 не найдена\n").toUtf8();
    QCOMPARE(err, expected);
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
