// Reads answered from the stores' read caches: a change made by another process is read by the
// very next call, answers never mix two states of a store, and the caches stay bounded.

#include "OtherProcess.h"
#include "RegistryTestUtil.h"
#include "platform/kernel/PlatformDir.h"
#include "platform/registry/KeyNames.h"
#include "platform/registry/ReadCache.h"
#include "platform/registry/StoreWatch.h"
#include "tests/support/FreshPlatformDir.h"

#include <QProcess>
#include <QtTest>

#include <sqlite3.h>

#include <memory>

Q_DECLARE_METATYPE(QList<QStringList>)

namespace {

std::optional<std::string> Text(HKEY key, const char *name, LONG &status) {
    DWORD type = REG_NONE, size = 0;
    status = RegQueryValueExA(key, name, nullptr, &type, nullptr, &size);
    if (status != ERROR_SUCCESS)
        return std::nullopt;
    std::string text(size, '\0');
    status =
        RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE *>(text.data()), &size);
    if (status != ERROR_SUCCESS)
        return std::nullopt;
    return text.substr(0, text.find('\0'));
}

QStringList SubKeys(const registry::RootedPath &path) {
    TestKey key;
    if (OpenKey(path.root, path.subKey.c_str(), key) != ERROR_SUCCESS)
        return {"(no key)"};
    QStringList names;
    for (const auto &name : SubKeyNames(key.get()))
        names << QString::fromStdString(name);
    return names;
}

bool Sql(const QString &file, const QByteArray &statements) {
    sqlite3 *db = nullptr;
    const bool done =
        sqlite3_open(file.toUtf8().constData(), &db) == SQLITE_OK &&
        sqlite3_exec(db, statements.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return done;
}

} // namespace

class TestRegistryCache final : public QObject {
    Q_OBJECT

private slots:
    void init() { FDir = std::make_unique<FreshPlatformDir>(); }
    void cleanup() { FDir.reset(); }

    // The key is read through a handle opened before the change and by its path afterwards;
    // everything was read (and so cached) before the other process changed it.
    void changesOfAnotherProcessAreReadAtOnce_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QList<QStringList>>("changes");
        QTest::addColumn<LONG>("throughHandle");
        QTest::addColumn<LONG>("throughPath");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("subKeys");
        const QString key = "HKCU\\Software\\Cache\\Key";
        const QString type = "HKCR\\cachetype";
        const LONG ok = ERROR_SUCCESS, missing = ERROR_FILE_NOT_FOUND;
        QTest::newRow("value changed")
            << key << "v" << QList<QStringList>{{"set-string", key, "v", "after"}} << ok << ok
            << "after" << QStringList{"Sub1"};
        QTest::newRow("value deleted")
            << key << "v" << QList<QStringList>{{"delete-value", key, "v"}} << missing << missing
            << "" << QStringList{"Sub1"};
        QTest::newRow("value added")
            << key << "w" << QList<QStringList>{{"set-string", key, "w", "added"}} << ok << ok
            << "added" << QStringList{"Sub1"};
        QTest::newRow("sub-key added")
            << key << "v" << QList<QStringList>{{"set-string", key + "\\Sub2", "x", "1"}} << ok
            << ok << "before" << QStringList{"Sub1", "Sub2"};
        QTest::newRow("key deleted")
            << key << "v" << QList<QStringList>{{"delete-tree", key}} << LONG(ERROR_KEY_DELETED)
            << missing << "" << QStringList{"(no key)"};
        QTest::newRow("key deleted and made again")
            << key << "v"
            << QList<QStringList>{{"delete-tree", key}, {"set-string", key, "v", "again"}}
            << LONG(ERROR_KEY_DELETED) << ok << "again" << QStringList{};
        QTest::newRow("written by SQLite itself")
            << key << "v"
            << QList<QStringList>{{"sql", "user.db", "1",
                                   "UPDATE vals SET data = CAST('direct' || x'00' AS BLOB)"
                                   " WHERE norm = 'v'"}}
            << ok << ok << "direct" << QStringList{"Sub1"};
        QTest::newRow("merged view, machine value changed")
            << type << "v"
            << QList<QStringList>{{"set-string", "HKLM\\Software\\Classes\\cachetype", "v", "m2"}}
            << ok << ok << "m2" << QStringList{};
        QTest::newRow("merged view, user key over the machine's")
            << type << "v"
            << QList<QStringList>{{"set-string", "HKCU\\Software\\Classes\\cachetype", "v", "u"}}
            << ok << ok << "u" << QStringList{};
    }

    void changesOfAnotherProcessAreReadAtOnce() {
        QFETCH(QString, key);
        QFETCH(QString, name);
        QFETCH(QList<QStringList>, changes);
        QFETCH(LONG, throughHandle);
        QFETCH(LONG, throughPath);
        QFETCH(QString, text);
        QFETCH(QStringList, subKeys);
        QCOMPARE(PutString(HKEY_CURRENT_USER, "Software\\Cache\\Key", "v", "before"),
                 ERROR_SUCCESS);
        QCOMPARE(PutString(HKEY_CURRENT_USER, "Software\\Cache\\Key\\Sub1", "x", "1"),
                 ERROR_SUCCESS);
        QCOMPARE(PutString(HKEY_LOCAL_MACHINE, "Software\\Classes\\cachetype", "v", "before"),
                 ERROR_SUCCESS);
        const auto path = registry::ParseRootedPath(key.toStdString());
        QVERIFY(path);
        const std::string value = name.toStdString();
        TestKey handle;
        QCOMPARE(OpenKey(path->root, path->subKey.c_str(), handle), ERROR_SUCCESS);
        for (int round = 0; round < 2; ++round) {
            LONG status = ERROR_SUCCESS;
            QCOMPARE(Text(handle.get(), value.c_str(), status),
                     name == "v" ? std::optional<std::string>("before") : std::nullopt);
            QCOMPARE(SubKeys(*path).size(), key.startsWith("HKCU") ? 1 : 0);
        }

        for (QStringList change : changes) {
            if (change.front() == "sql")
                change[1] = FDir->file(change[1]);
            QVERIFY(EditInOtherProcess(change));
        }

        LONG status = ERROR_SUCCESS;
        const auto expected =
            text.isEmpty() ? std::nullopt : std::optional<std::string>(text.toStdString());
        QCOMPARE(Text(handle.get(), value.c_str(), status),
                 throughHandle == ERROR_SUCCESS ? expected : std::nullopt);
        QCOMPARE(status, throughHandle);
        TestKey reopened;
        if (OpenKey(path->root, path->subKey.c_str(), reopened) == ERROR_SUCCESS)
            Text(reopened.get(), value.c_str(), status);
        else
            status = ERROR_FILE_NOT_FOUND;
        QCOMPARE(status, throughPath);
        QCOMPARE(SubKeys(*path), subKeys);
    }

    // Another process replaces Software\Flip and its ten sub-keys in single transactions, so
    // every state of the store has Software\Flip\K0 ... K9. Paths are walked partly from the
    // cache, partly from the file; a walk that met two states would miss a key.
    void answersNeverMixTwoStates() {
        QCOMPARE(PutString(HKEY_CURRENT_USER, "Software\\Flip\\K0", "v", "x"), ERROR_SUCCESS);
        const QString replace =
            "DELETE FROM keys WHERE parent = (SELECT id FROM keys WHERE norm = 'flip');"
            "DELETE FROM keys WHERE norm = 'flip';"
            "INSERT INTO keys(parent, name, norm) SELECT id, 'Flip', 'flip' FROM keys"
            " WHERE norm = 'software' AND parent = 1;"
            "INSERT INTO keys(parent, name, norm) WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL"
            " SELECT i + 1 FROM n WHERE i < 9) SELECT (SELECT id FROM keys WHERE norm = 'flip'),"
            " 'K' || i, 'k' || i FROM n";
        QVERIFY(Sql(FDir->file("user.db"), ("BEGIN;" + replace + ";COMMIT;").toUtf8()));

        QProcess writer;
        writer.start(QStringLiteral(QM_EDIT_CHILD),
                     {"sql", FDir->file("user.db"), "1000", replace});
        QVERIFY(writer.waitForStarted());
        int walks = 0;
        while (writer.state() != QProcess::NotRunning || walks < 1000) {
            const std::string path = "Software\\Flip\\K" + std::to_string(walks % 10);
            QVERIFY2(KeyExists(HKEY_CURRENT_USER, "Software\\Flip"), std::to_string(walks).c_str());
            QVERIFY2(KeyExists(HKEY_CURRENT_USER, path.c_str()), path.c_str());
            ++walks;
            if (writer.state() != QProcess::NotRunning)
                writer.waitForFinished(0);
        }
        QCOMPARE(writer.exitStatus(), QProcess::NormalExit);
        QCOMPARE(writer.exitCode(), 0);
    }

    // The connections this process keeps hold the shared lock that stops another process from
    // taking the store for itself when it closes: it must not checkpoint and delete the log
    // under them. Opening a file, even to check its header, must not drop that lock.
    void logStaysWhileThisProcessHasTheStoreOpen() {
        QCOMPARE(PutString(HKEY_CURRENT_USER, "Software\\Kept", "v", "1"), ERROR_SUCCESS);
        QCOMPARE(GetString(HKEY_CURRENT_USER, "Software\\Kept", "v"),
                 std::optional<std::string>("1"));
        QVERIFY(EditInOtherProcess({"sql", FDir->file("user.db"), "1",
                                    "UPDATE vals SET data = CAST('2' || x'00' AS BLOB)"}));
        QVERIFY(QFile::exists(FDir->file("user.db-wal")));
        QCOMPARE(GetString(HKEY_CURRENT_USER, "Software\\Kept", "v"),
                 std::optional<std::string>("2"));
        QCOMPARE(PutString(HKEY_CURRENT_USER, "Software\\Kept", "v", "3"), ERROR_SUCCESS);
        QVERIFY(EditInOtherProcess({"expect-string", "HKCU\\Software\\Kept", "v", "3"}));
    }

    // More answers and bytes than a cache holds: every read stays right and the cache of the
    // store stays within its bounds.
    void cachesStayBounded() {
        QCOMPARE(PutString(HKEY_CURRENT_USER, "Software\\Many", "first", "0"), ERROR_SUCCESS);
        const int count = int(registry::ReadCache::MaxAnswers) + 500;
        const int bigCount = 40; // together twice the byte bound
        const std::string big(registry::ReadCache::MaxBytes / 20, 'b');
        const std::string huge(registry::ReadCache::MaxBytes / 8, 'h'); // too big to keep
        const std::string rows = " WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n"
                                 " WHERE i < %1) SELECT (SELECT id FROM keys WHERE norm = 'many'),"
                                 " '%2' || i, '%2' || i, 1, CAST(CAST(i AS TEXT) || '%3' || x'00'"
                                 " AS BLOB) FROM n;";
        const auto insert = [&](int number, const char *name, const std::string &text) -> QString {
            return " INSERT INTO vals(key, name, norm, type, data)" +
                   QString::fromStdString(rows).arg(number).arg(name).arg(
                       QString::fromStdString(text));
        };
        QVERIFY(Sql(FDir->file("user.db"),
                    ("BEGIN;" + insert(count - 1, "v", "") + insert(bigCount - 1, "big", big) +
                     insert(0, "huge", huge) + "COMMIT;")
                        .toUtf8()));
        TestKey key;
        QCOMPARE(OpenKey(HKEY_CURRENT_USER, "Software\\Many", key), ERROR_SUCCESS);
        const auto read = [&](const std::string &name) {
            LONG status = ERROR_SUCCESS;
            return Text(key.get(), name.c_str(), status);
        };
        for (int round = 0; round < 2; ++round) {
            for (int i = 0; i < count; ++i)
                QCOMPARE(read("v" + std::to_string(i)), std::optional(std::to_string(i)));
            for (int i = 0; i < bigCount; ++i)
                QCOMPARE(read("big" + std::to_string(i)), std::optional(std::to_string(i) + big));
            QCOMPARE(read("huge0"), std::optional("0" + huge));
        }
        const auto view =
            registry::CheckedStoreView(platform::PlatformDirectory(), registry::StoreKind::User);
        QVERIFY(view);
        QVERIFY(view->cache->Answers() <= registry::ReadCache::MaxAnswers);
        QVERIFY(view->cache->Bytes() <= registry::ReadCache::MaxBytes);
    }

private:
    std::unique_ptr<FreshPlatformDir> FDir;
};

QTEST_GUILESS_MAIN(TestRegistryCache)
#include "tst_RegistryCache.moc"
