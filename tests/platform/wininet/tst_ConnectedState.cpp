#include "platform/registry/Registry.h"
#include "platform/wininet/WinInet.h"
#include "tests/support/FreshPlatformDir.h"
#include "tests/support/ToolRunner.h"

#include <QtTest>

#include <chrono>
#include <memory>
#include <thread>

namespace {

constexpr char kSettingsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

struct Query {
    BOOL ok = FALSE;
    DWORD state = 0;
    DWORD length = 0;
    DWORD error = 0;
};

Query QueryState(DWORD bufferLength = sizeof(DWORD)) {
    Query q;
    DWORD buffer[2] = {0xAAAAAAAA, 0xAAAAAAAA};
    q.length = bufferLength;
    SetLastError(0);
    q.ok = InternetQueryOptionA(nullptr, INTERNET_OPTION_CONNECTED_STATE, buffer, &q.length);
    q.state = buffer[0];
    q.error = GetLastError();
    return q;
}

BOOL SetState(DWORD state, DWORD flags, DWORD length = sizeof(INTERNET_CONNECTED_INFO)) {
    INTERNET_CONNECTED_INFO info{state, flags};
    SetLastError(0);
    return InternetSetOptionA(nullptr, INTERNET_OPTION_CONNECTED_STATE, &info, length);
}

void WriteRaw(DWORD type, const QByteArray &data) {
    HKEY key = nullptr;
    QCOMPARE(RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                             KEY_ALL_ACCESS, nullptr, &key, nullptr),
             ERROR_SUCCESS);
    QCOMPARE(RegSetValueExA(key, "GlobalUserOffline", 0, type,
                            reinterpret_cast<const BYTE *>(data.constData()), DWORD(data.size())),
             ERROR_SUCCESS);
    RegCloseKey(key);
}

QByteArray Dword(DWORD value) {
    return QByteArray(reinterpret_cast<const char *>(&value), sizeof value);
}

} // namespace

class TestConnectedState final : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void switchesAndPersists();
    void everyChangeIsSeen();
    void queryChecksItsBuffer();
    void rejectsBadRequests_data();
    void rejectsBadRequests();
    void wrongTypeValueReadsOnline_data();
    void wrongTypeValueReadsOnline();
    void sharedWithAnotherProcess();

private:
    std::unique_ptr<FreshPlatformDir> m_dir;
};

void TestConnectedState::init() {
    m_dir = std::make_unique<FreshPlatformDir>();
    QVERIFY(m_dir->isValid());
}

void TestConnectedState::cleanup() {
    m_dir.reset();
}

void TestConnectedState::switchesAndPersists() {
    const Query fresh = QueryState();
    QVERIFY(fresh.ok);
    QCOMPARE(fresh.state, INTERNET_STATE_CONNECTED);
    QCOMPARE(fresh.length, DWORD(sizeof(DWORD)));
    QVERIFY(!platform::IsGlobalOffline());

    QVERIFY(SetState(INTERNET_STATE_DISCONNECTED_BY_USER, ISO_FORCE_DISCONNECTED));
    QCOMPARE(QueryState().state, INTERNET_STATE_DISCONNECTED_BY_USER);
    QVERIFY(platform::IsGlobalOffline());

    // Stored where other programs of the platform look for it.
    HKEY key = nullptr;
    QCOMPARE(RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key), ERROR_SUCCESS);
    DWORD type = 0, value = 0, size = sizeof value;
    QCOMPARE(RegQueryValueExA(key, "GlobalUserOffline", nullptr, &type,
                              reinterpret_cast<BYTE *>(&value), &size),
             ERROR_SUCCESS);
    RegCloseKey(key);
    QCOMPARE(type, REG_DWORD);
    QCOMPARE(value, DWORD(1));

    QVERIFY(SetState(INTERNET_STATE_CONNECTED, 0));
    QCOMPARE(QueryState().state, INTERNET_STATE_CONNECTED);
    QVERIFY(!platform::IsGlobalOffline());

    // Changed behind the library's back: the next query sees it.
    WriteRaw(REG_DWORD, Dword(1));
    QCOMPARE(QueryState().state, INTERNET_STATE_DISCONNECTED_BY_USER);
    QVERIFY(platform::IsGlobalOffline());
    QVERIFY(InternetSetOptionA(nullptr, INTERNET_OPTION_SETTINGS_CHANGED, nullptr, 0));
}

void TestConnectedState::everyChangeIsSeen() {
    // Same-sized writes in quick succession, alternating; each must be seen by the next call.
    for (int i = 0; i < 60; ++i) {
        const bool offline = i % 2 == 0;
        if (i % 3 == 0)
            WriteRaw(REG_DWORD, Dword(offline ? 1 : 0));
        else
            QVERIFY(SetState(
                offline ? INTERNET_STATE_DISCONNECTED_BY_USER : INTERNET_STATE_CONNECTED, 0));
        QCOMPARE(platform::IsGlobalOffline(), offline);
        QCOMPARE(platform::IsGlobalOffline(), offline);
    }
    // After a quiet spell the state kept from the last read answers: changes still show.
    for (const bool offline : {true, false}) {
        QCOMPARE(platform::IsGlobalOffline(), !offline);
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        QCOMPARE(platform::IsGlobalOffline(), !offline);
        WriteRaw(REG_DWORD, Dword(offline ? 1 : 0));
        QCOMPARE(platform::IsGlobalOffline(), offline);
    }

    // The value's key removed altogether: online.
    QVERIFY(SetState(INTERNET_STATE_DISCONNECTED_BY_USER, 0));
    QVERIFY(platform::IsGlobalOffline());
    QCOMPARE(RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey), ERROR_SUCCESS);
    QVERIFY(!platform::IsGlobalOffline());
}

void TestConnectedState::queryChecksItsBuffer() {
    QVERIFY(SetState(INTERNET_STATE_DISCONNECTED_BY_USER, ISO_FORCE_DISCONNECTED));
    for (DWORD small : {DWORD(0), DWORD(3)}) {
        const Query q = QueryState(small);
        QVERIFY(!q.ok);
        QCOMPARE(q.error, DWORD(ERROR_INSUFFICIENT_BUFFER));
        QCOMPARE(q.length, DWORD(sizeof(DWORD)));
        QCOMPARE(q.state, 0xAAAAAAAAu); // untouched
    }
    const Query large = QueryState(8);
    QVERIFY(large.ok);
    QCOMPARE(large.length, DWORD(sizeof(DWORD)));
    QCOMPARE(large.state, INTERNET_STATE_DISCONNECTED_BY_USER);

    DWORD length = 4;
    QVERIFY(!InternetQueryOptionA(nullptr, INTERNET_OPTION_CONNECTED_STATE, nullptr, &length));
    QCOMPARE(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
    DWORD state = 0;
    QVERIFY(!InternetQueryOptionA(nullptr, INTERNET_OPTION_CONNECTED_STATE, &state, nullptr));
    QCOMPARE(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
}

void TestConnectedState::rejectsBadRequests_data() {
    QTest::addColumn<bool>("handle");
    QTest::addColumn<int>("option");
    QTest::addColumn<uint>("state");
    QTest::addColumn<uint>("length");
    QTest::addColumn<int>("error");
    const int connected = INTERNET_OPTION_CONNECTED_STATE;
    const uint offline = INTERNET_STATE_DISCONNECTED_BY_USER;
    QTest::newRow("short record") << false << connected << offline << 4u
                                  << ERROR_INTERNET_BAD_OPTION_LENGTH;
    QTest::newRow("long record") << false << connected << offline << 12u
                                 << ERROR_INTERNET_BAD_OPTION_LENGTH;
    QTest::newRow("state zero") << false << connected << 0u << 8u << ERROR_INVALID_PARAMETER;
    QTest::newRow("disconnected, not by user")
        << false << connected << uint(INTERNET_STATE_DISCONNECTED) << 8u << ERROR_INVALID_PARAMETER;
    QTest::newRow("two states at once")
        << false << connected << uint(INTERNET_STATE_CONNECTED) + offline << 8u
        << ERROR_INVALID_PARAMETER;
    QTest::newRow("unknown option")
        << false << 9999 << offline << 8u << ERROR_INTERNET_INVALID_OPTION;
    QTest::newRow("with a handle")
        << true << connected << offline << 8u << ERROR_INTERNET_INCORRECT_HANDLE_TYPE;
}

void TestConnectedState::rejectsBadRequests() {
    QFETCH(bool, handle);
    QFETCH(int, option);
    QFETCH(uint, state);
    QFETCH(uint, length);
    QFETCH(int, error);

    DWORD record[3] = {state, ISO_FORCE_DISCONNECTED, 0};
    HINTERNET internet = handle ? reinterpret_cast<HINTERNET>(0x1234) : nullptr;
    SetLastError(0);
    QVERIFY(!InternetSetOptionA(internet, DWORD(option), record, length));
    QCOMPARE(GetLastError(), DWORD(error));
    QCOMPARE(QueryState().state, INTERNET_STATE_CONNECTED); // nothing changed

    if (handle || option != INTERNET_OPTION_CONNECTED_STATE) {
        DWORD out = 0, outLength = sizeof out;
        QVERIFY(!InternetQueryOptionA(internet, DWORD(option), &out, &outLength));
        QCOMPARE(GetLastError(), DWORD(error));
    }
}

void TestConnectedState::wrongTypeValueReadsOnline_data() {
    QTest::addColumn<uint>("type");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<bool>("offline");
    QTest::newRow("dword 0") << uint(REG_DWORD) << Dword(0) << false;
    QTest::newRow("dword 1") << uint(REG_DWORD) << Dword(1) << true;
    QTest::newRow("dword 5") << uint(REG_DWORD) << Dword(5) << true;
    QTest::newRow("string 1") << uint(REG_SZ) << QByteArray("1", 2) << false;
    QTest::newRow("binary dword") << uint(REG_BINARY) << Dword(1) << false;
    QTest::newRow("binary long") << uint(REG_BINARY) << QByteArray(64, '\1') << false;
    QTest::newRow("binary empty") << uint(REG_BINARY) << QByteArray() << false;
    QTest::newRow("qword 1") << uint(REG_QWORD) << Dword(1) + Dword(0) << false;
}

void TestConnectedState::wrongTypeValueReadsOnline() {
    QFETCH(uint, type);
    QFETCH(QByteArray, data);
    QFETCH(bool, offline);
    WriteRaw(type, data);
    const Query q = QueryState();
    QVERIFY(q.ok);
    QCOMPARE(q.state, offline ? INTERNET_STATE_DISCONNECTED_BY_USER : INTERNET_STATE_CONNECTED);
    QCOMPARE(platform::IsGlobalOffline(), offline);
    // Setting the state replaces the odd value.
    QVERIFY(SetState(INTERNET_STATE_DISCONNECTED_BY_USER, ISO_FORCE_DISCONNECTED));
    QVERIFY(platform::IsGlobalOffline());
}

void TestConnectedState::sharedWithAnotherProcess() {
#ifndef QM_PLATFORM_TOOL
    QSKIP("quillmere-platform is not built");
#else
    // The tool in this test's platform directory.
    const auto tool = [](const QStringList &args) -> QString {
        const ToolRun run = RunPlatformTool(QString(), args);
        if (run.exitCode == -1)
            return QStringLiteral("<no exit>");
        return run.out.trimmed() + (run.exitCode == 0 ? QString() : QStringLiteral(" <failed>"));
    };
    QCOMPARE(tool({"offline", "status"}), QStringLiteral("online"));
    QVERIFY(!platform::IsGlobalOffline());
    QCOMPARE(tool({"offline", "on"}), QStringLiteral("offline"));
    QVERIFY(platform::IsGlobalOffline()); // set there, seen here
    QCOMPARE(tool({"offline", "off"}), QStringLiteral("online"));
    QVERIFY(!platform::IsGlobalOffline());
    QCOMPARE(tool({"offline", "on"}), QStringLiteral("offline"));
    QVERIFY(platform::IsGlobalOffline());

    std::this_thread::sleep_for(std::chrono::milliseconds(400)); // past the settling reads
    QCOMPARE(tool({"offline", "off"}), QStringLiteral("online"));
    QVERIFY(!platform::IsGlobalOffline());

    QVERIFY(SetState(INTERNET_STATE_CONNECTED, 0)); // set here, seen there
    QCOMPARE(tool({"offline", "status"}), QStringLiteral("online"));
    QCOMPARE(tool({"offline", "off"}), QStringLiteral("online"));
    QCOMPARE(tool({"offline", "sideways"}).endsWith(QStringLiteral("<failed>")), true);
#endif
}

QTEST_GUILESS_MAIN(TestConnectedState)
#include "tst_ConnectedState.moc"
