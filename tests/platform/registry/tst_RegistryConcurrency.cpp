// Many processes writing the same store at once through the registry API.

#include "RegistryTestUtil.h"
#include "tests/support/FreshPlatformDir.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QtTest>

#include <sqlite3.h>

#include <memory>
#include <vector>

class TestRegistryConcurrency final : public QObject {
    Q_OBJECT

private slots:
    void manyProcessesWriteAtOnce() {
        constexpr int Writers = 8;
        constexpr int Togglers = 8;
        constexpr int Count = 200;
        FreshPlatformDir dir;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QUILLMERE_PLATFORM_DIR", dir.path());

        std::vector<std::unique_ptr<QProcess>> children;
        for (int i = 0; i < Writers + Togglers; ++i) {
            auto child = std::make_unique<QProcess>();
            child->setProcessEnvironment(environment);
            child->start(
                QStringLiteral(QM_STRESS_CHILD),
                {i < Writers ? "distinct" : "toggle", QString::number(i), QString::number(Count)});
            children.push_back(std::move(child));
        }
        for (auto &child : children) {
            QVERIFY(child->waitForStarted());
            // A guard against a hang, not a measurement.
            QVERIFY(child->waitForFinished(600000));
            const QByteArray errors = child->readAllStandardError();
            QVERIFY2(!errors.contains("database is locked"), errors.constData());
            QVERIFY2(child->exitStatus() == QProcess::NormalExit && child->exitCode() == 0,
                     errors.constData());
        }

        for (int writer = 0; writer < Writers; ++writer) {
            TestKey key;
            const std::string path = "Software\\Stress\\Writer" + std::to_string(writer);
            QCOMPARE(OpenKey(HKEY_CURRENT_USER, path.c_str(), key), ERROR_SUCCESS);
            for (int i = 0; i < Count; ++i) {
                const auto value = QueryRaw(key.get(), ("v" + std::to_string(i)).c_str());
                QVERIFY2(value, (path + " v" + std::to_string(i)).c_str());
                DWORD stored = 0;
                std::memcpy(&stored, value->data.data(), sizeof stored);
                QCOMPARE(stored, DWORD(i));
            }
        }
        TestKey shared;
        QCOMPARE(OpenKey(HKEY_CURRENT_USER, "Software\\Stress\\Shared", shared), ERROR_SUCCESS);
        QCOMPARE(ValueNames(shared.get()), std::vector<std::string>{"flag"});

        sqlite3 *db = nullptr;
        QCOMPARE(sqlite3_open_v2(dir.file("user.db").toUtf8().constData(), &db,
                                 SQLITE_OPEN_READONLY, nullptr),
                 SQLITE_OK);
        sqlite3_stmt *check = nullptr;
        QCOMPARE(sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &check, nullptr), SQLITE_OK);
        QCOMPARE(sqlite3_step(check), SQLITE_ROW);
        const QByteArray result(reinterpret_cast<const char *>(sqlite3_column_text(check, 0)));
        sqlite3_finalize(check);
        sqlite3_close(db);
        QCOMPARE(result, QByteArray("ok"));
    }
};

QTEST_GUILESS_MAIN(TestRegistryConcurrency)
#include "tst_RegistryConcurrency.moc"
