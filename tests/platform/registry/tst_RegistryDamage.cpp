// A damaged store file: reported once, read as absent, refused for writing, never replaced.

#include "RegistryTestUtil.h"
#include "platform/registry/RegistryObjects.h"
#include "tests/support/FixtureSite.h"
#include "tests/support/FreshPlatformDir.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QtTest>

#include <sqlite3.h>

#include <memory>

namespace {

QByteArray FileBytes(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Moves everything committed from the log into the database file itself.
bool Checkpoint(const QString &path) {
    sqlite3 *db = nullptr;
    const bool opened = sqlite3_open(path.toUtf8().constData(), &db) == SQLITE_OK;
    const bool done = opened && sqlite3_exec(db, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr,
                                             nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return done;
}

} // namespace

class TestRegistryDamage final : public QObject {
    Q_OBJECT

private slots:
    // warm: the keys were read (and so kept in the read cache) before the file was damaged.
    void damagedStoreIsReportedAndLeftAlone_data() {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("damage");
        QTest::addColumn<bool>("warm");
        for (const char *file : {"user.db", "machine.db"}) {
            for (const char *damage : {"short text", "long text", "truncated"}) {
                QTest::addRow("%s, %s", file, damage) << QString(file) << QString(damage) << false;
                QTest::addRow("%s, %s, after reads", file, damage)
                    << QString(file) << QString(damage) << true;
            }
        }
    }

    void damagedStoreIsReportedAndLeftAlone() {
        QFETCH(QString, fileName);
        QFETCH(QString, damage);
        QFETCH(bool, warm);
        FreshPlatformDir dir;
        const bool user = fileName == "user.db";
        const HKEY root = user ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
        const QString path = dir.file(fileName);
        QCOMPARE(PutString(HKEY_CURRENT_USER, "Software\\Classes\\userType", "", "u"),
                 ERROR_SUCCESS);
        TestKey key;
        const std::string filler(200, 'x');
        if (warm || damage == "truncated") {
            QCOMPARE(CreateKey(root, "Software\\Keep", key), ERROR_SUCCESS);
            for (int i = 0; i < (damage == "truncated" ? 200 : 1); ++i)
                QCOMPARE(SetString(key.get(), std::to_string(i).c_str(), filler), ERROR_SUCCESS);
            key.reset();
        }
        const auto warmUp = [&] {
            if (warm) {
                QCOMPARE(GetString(root, "Software\\Keep", "0"),
                         std::optional<std::string>(filler));
                QCOMPARE(SubKeyNames(root), std::vector<std::string>{"Software"});
            }
        };
        if (damage == "truncated") {
            QVERIFY(Checkpoint(path));
            const QByteArray whole = FileBytes(path);
            QVERIFY(whole.size() > 16384);
            warmUp();
            QVERIFY(WriteFile(path, whole.left(whole.size() / 2)));
        } else {
            warmUp();
            const QByteArray text = "this is not a registry store\n";
            QVERIFY(WriteFile(path, damage == "short text" ? text : text.repeated(400)));
        }
        const QByteArray damaged = FileBytes(path);
        const QStringList filesBefore = QDir(dir.path()).entryList(QDir::Files);

        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^registry store " +
                                                              QRegularExpression::escape(path) +
                                                              " is damaged: .+; using defaults$"));
        QTest::failOnWarning(QRegularExpression("damaged"));

        QCOMPARE(OpenKey(root, "Software\\Keep", key), ERROR_FILE_NOT_FOUND);
        QCOMPARE(CreateKey(root, "Software\\New", key), ERROR_REGISTRY_CORRUPT);
        QCOMPARE(SetString(root, "v", "1"), ERROR_REGISTRY_CORRUPT);
        QCOMPARE(RegDeleteTreeA(root, "Software"), ERROR_REGISTRY_CORRUPT);
        QVERIFY(SubKeyNames(root).empty());

        if (user) {
            TRegistryIniFile reader("Software\\Maker\\Product", KEY_QUERY_VALUE);
            QCOMPARE(reader.ReadBool("UI", "ShowMessage", true), true);
            QCOMPARE(reader.ReadInteger("UI", "DefaultWidth", -1), -1);
            TRegistryIniFile writer("Software\\Maker\\Product", KEY_WRITE);
            QVERIFY_THROWS_EXCEPTION(ERegistryException,
                                     writer.WriteBool("UI", "ShowMessage", false));
        } else {
            // The merged view falls back to what the user store holds.
            QCOMPARE(GetString(HKEY_CLASSES_ROOT, "userType", ""), std::optional<std::string>("u"));
            QCOMPARE(CreateKey(HKEY_CLASSES_ROOT, "newType", key), ERROR_REGISTRY_CORRUPT);
        }

        QCOMPARE(FileBytes(path), damaged);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), filesBefore);
    }
};

QTEST_GUILESS_MAIN(TestRegistryDamage)
#include "tst_RegistryDamage.moc"
