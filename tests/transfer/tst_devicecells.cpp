#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QtTest>

#include "emulator/devicememory.h"
#include "emulatorprocess.h"
#include "link/devicelink.h"
#include "transfer/devicebackup.h"
#include "transfer/devicecells.h"
#include "transfertesthelpers.h"

namespace {

// A record the decoder refuses (no such statement): a backup must still
// carry it byte for byte.
const QByteArray undecodable = QByteArray::fromHex("FF00112233445566778899AABBCC");

// The example program in cell 1, two undecodable records under a name with
// a Latin-1 letter in cell 3, cells 2 and 4 empty.
DeviceMemory exampleMemory()
{
    DeviceMemory memory;
    TransferTest::putCell(memory, 0, TransferTest::compiled(TransferTest::exampleSource), "Test ");
    memory.setRecord(2, 0, undecodable);
    memory.setRecord(2, 1, QByteArray(14, '\xEE'));
    memory.setCount(2, 2);
    memory.setName(2, "x\xE9yz ");
    return memory;
}

const char *const validCell = R"({"cell": 1, "name": "Demo ", "count": 1, "records": ["0100640000000000000000000000"], "source": null})";

QByteArray backupText(const QByteArray &cells, const QByteArray &format = "quillmar-backup",
                      const QByteArray &version = "1")
{
    return R"({"format": ")" + format + R"(", "version": )" + version
        + R"(, "saved": "2026-12-06T12:00:00Z", "address": 0, "cells": [)" + cells + "]}";
}

} // namespace

// Whole cells against the emulated device: backup, restore, probing, and
// the backup file's checks.
class TestDeviceCells : public QObject
{
    Q_OBJECT

private slots:
    void backupWipeRestore()
    {
        const QString state = m_dir.filePath("restore.state");
        const DeviceMemory original = exampleMemory();
        QVERIFY(TransferTest::writeState(state, original));
        EmulatorProcess device;
        QVERIFY(start(device, {"--state", state}));

        DeviceBackup backup;
        QString error;
        backup.cells.resize(4);
        for (int cell = 0; cell < 4; ++cell)
            QVERIFY2(readStoredCell(m_link, 0, cell, backup.cells[cell], error), qPrintable(error));
        QCOMPARE(backup.cells.at(2).records, QVector<QByteArray>({undecodable, QByteArray(14, '\xEE')}));
        QCOMPARE(backup.cells.at(2).name, QStringLiteral("xéyz "));

        // Through the file's text, as restore reads it.
        const QByteArray text = backup.toJson();
        const QJsonArray cells = QJsonDocument::fromJson(text).object().value("cells").toArray();
        QCOMPARE(cells.at(0).toObject().value("source").toString(), TransferTest::exampleSource + '\n');
        QVERIFY(cells.at(2).toObject().value("source").isNull());
        QVERIFY(text.contains("\"FF00112233445566778899AABBCC\""));
        DeviceBackup copy;
        QVERIFY2(copy.fromJson(text, error), qPrintable(error));

        for (int cell = 0; cell < 4; ++cell)
            QVERIFY(writeStoredCell(m_link, 0, StoredCell{cell, QStringLiteral("     "), {}}, error));
        CellSummary wiped;
        QVERIFY(readCellSummary(m_link, 0, 0, wiped, error));
        QCOMPARE(wiped.count, 0);

        QVector<int> reported;
        const RestoreReport report = restoreCells(m_link, 0, copy.cells, [&](int cell, bool ok, const QString &) {
            if (ok)
                reported.append(cell);
        });
        QCOMPARE(report.verified, QVector<int>({0, 1, 2, 3}));
        QCOMPARE(reported, report.verified);
        QVERIFY(!report.ended);
        QCOMPARE(device.stop(), 0);
        QFile file(state);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll() == original.toBytes());
    }

    void refusedFiles_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("place"); // empty: accepted
        const QByteArray cell = validCell;
        auto with = [&cell](const char *from, const char *to) { return QByteArray(cell).replace(from, to); };
        QTest::newRow("accepted, lower-case hex") << backupText(with("0100640000", "01006400ab")) << QString();
        QTest::newRow("not JSON") << QByteArray("{\"format\": ") << "символ";
        QTest::newRow("not an object") << QByteArray("[1]") << "файл";
        QTest::newRow("another format") << backupText(cell, "other") << "format";
        QTest::newRow("unknown version") << backupText(cell, "quillmar-backup", "2") << "version";
        QTest::newRow("no cells") << backupText("") << "cells";
        QTest::newRow("cell 0") << backupText(with("\"cell\": 1", "\"cell\": 0")) << "cells[0].cell";
        QTest::newRow("cell 5") << backupText(with("\"cell\": 1", "\"cell\": 5")) << "cells[0].cell";
        QTest::newRow("cell given twice") << backupText(cell + ", " + with("Demo ", "Other")) << "cells[1].cell";
        QTest::newRow("count not the records") << backupText(with("\"count\": 1", "\"count\": 2")) << "cells[0].count";
        const QByteArray many = QByteArray(", \"0100640000000000000000000000\"").repeated(100);
        QTest::newRow("count above 100") << backupText(with("\"count\": 1", "\"count\": 101").replace("\"]", "\"" + many + "]"))
                                         << "cells[0].count";
        QTest::newRow("record of 27 digits") << backupText(with("0100640000000000000000000000", "010064000000000000000000000"))
                                             << "cells[0].records[0]";
        QTest::newRow("record not hex") << backupText(with("0100640000", "01006400GG")) << "cells[0].records[0]";
        QTest::newRow("record not text") << backupText(with("\"0100640000000000000000000000\"", "7")) << "cells[0].records[0]";
        QTest::newRow("name of 4") << backupText(with("Demo ", "Demo")) << "cells[0].name";
        QTest::newRow("name of 6") << backupText(with("Demo ", "Demo  ")) << "cells[0].name";
        QTest::newRow("name beyond U+00FF") << backupText(with("Demo ", "Дема ")) << "cells[0].name";
    }

    void refusedFiles()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, place);
        DeviceBackup backup;
        backup.address = 9;
        QString error;
        QCOMPARE(backup.fromJson(text, error), place.isEmpty());
        if (place.isEmpty()) {
            QCOMPARE(backup.cells.size(), 1);
            QCOMPARE(backup.cells.first().records.first(), QByteArray::fromHex("01006400ab000000000000000000"));
            return;
        }
        QVERIFY2(error.startsWith(place + ':') || error.startsWith(place + ' '), qPrintable(error));
        // Nothing of a refused file is taken.
        QCOMPARE(backup.address, 9);
        QVERIFY(backup.cells.isEmpty());
    }

    void differences_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QVector<QByteArray>>("records");
        QTest::addColumn<QString>("expected");
        const QByteArray a(14, 'a');
        QTest::newRow("same bytes, short name padded") << "Demo" << QVector<QByteArray>{a, undecodable} << "";
        QTest::newRow("count") << "Demo " << QVector<QByteArray>{a} << "кол-во строк 1 вместо 2";
        QTest::newRow("name") << "Xemo " << QVector<QByteArray>{a, undecodable} << "имя \"Xemo \" вместо \"Demo \"";
        QTest::newRow("record 1") << "Demo " << QVector<QByteArray>{a, a} << "строка 1 отличается";
    }

    void differences()
    {
        QFETCH(QString, name);
        QFETCH(QVector<QByteArray>, records);
        const StoredCell expected{0, QStringLiteral("Demo "), {QByteArray(14, 'a'), undecodable}};
        QTEST(cellDifferences(expected, StoredCell{0, name, records}), "expected");
    }

    void deviceLostDuringRestore()
    {
        EmulatorProcess device;
        QVERIFY(start(device, {}));
        const StoredCell first{0, QStringLiteral("One  "), QVector<QByteArray>(5, undecodable)};
        const StoredCell second{1, QStringLiteral("Two  "), QVector<QByteArray>(5, undecodable)};
        // Cell 1 takes 5 + 2 writes and 2 + 5 reads; the device goes away
        // after the third record of cell 2.
        int requests = 0;
        const RestoreReport report = restoreCells(m_link, 0, {first, second}, [](int, bool, const QString &) {}, [&] {
            if (++requests == 14 + 3)
                device.kill();
            return true;
        });
        QVERIFY(report.ended);
        QCOMPARE(report.verified, QVector<int>({0}));
        QCOMPARE(report.failure, QStringLiteral("ошибка записи строки 3"));
        QCOMPARE(requests, 17);
        QCOMPARE(cellList({3, 0, 1}), QStringLiteral("1, 2 и 4"));
    }


private:
    bool start(EmulatorProcess &device, const QStringList &args)
    {
        m_link.setTraceDevice(nullptr);
        m_link.setPort(&device.port());
        return device.start(args);
    }


    QTemporaryDir m_dir;
    DeviceLink m_link;
};

QTEST_GUILESS_MAIN(TestDeviceCells)
#include "tst_devicecells.moc"
