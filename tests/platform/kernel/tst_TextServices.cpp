// Environment expansion, debugger output, the code page helpers and the system's message texts.

#include "platform/kernel/CodePage.h"
#include "platform/kernel/Environment.h"
#include "platform/kernel/SystemMessage.h"

#include <QtTest>

#include <fcntl.h>
#include <unistd.h>

class TestTextServices final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        qputenv("QM_A", "alpha");
        qputenv("QM_B", "beta");
        qputenv("QM_EMPTY", "");
        qputenv("Qm_Mixed_Case", "mixed");
        qunsetenv("QM_MISSING");
    }

    void expand_data() {
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("one variable") << QByteArray("%QM_A%") << QByteArray("alpha");
        QTest::newRow("surrounded")
            << QByteArray("pre-%QM_A%-post") << QByteArray("pre-alpha-post");
        QTest::newRow("adjacent") << QByteArray("%QM_A%%QM_B%") << QByteArray("alphabeta");
        QTest::newRow("empty value") << QByteArray("[%QM_EMPTY%]") << QByteArray("[]");
        QTest::newRow("name case ignored") << QByteArray("%qm_mixed_CASE%") << QByteArray("mixed");
        QTest::newRow("unknown kept")
            << QByteArray("%QM_MISSING%\\x") << QByteArray("%QM_MISSING%\\x");
        QTest::newRow("unknown then known")
            << QByteArray("%QM_MISSING%%QM_A%") << QByteArray("%QM_MISSING%alpha");
        QTest::newRow("unknown swallows the next percent")
            << QByteArray("%QM_MISSING%QM_A%") << QByteArray("%QM_MISSING%QM_A%");
        QTest::newRow("lone percent") << QByteArray("100% %QM_A") << QByteArray("100% %QM_A");
        QTest::newRow("double percent") << QByteArray("%%%QM_A%%%") << QByteArray("%%alpha%%");
        QTest::newRow("nothing") << QByteArray("") << QByteArray("");
        QTest::newRow("value not expanded again")
            << QByteArray("%QM_SELF%") << QByteArray("%QM_A%");
    }

    void expand() {
        QFETCH(QByteArray, source);
        QFETCH(QByteArray, expected);
        qputenv("QM_SELF", "%QM_A%");
        const DWORD needed = ExpandEnvironmentStringsA(source.constData(), nullptr, 0);
        QCOMPARE(needed, DWORD(expected.size() + 1));
        QByteArray buffer(int(needed), '#');
        QCOMPARE(ExpandEnvironmentStringsA(source.constData(), buffer.data(), needed), needed);
        QCOMPARE(QByteArray(buffer.constData()), expected);
    }

    // Too small a buffer is left untouched and the needed size is returned.
    void expandBufferContract() {
        char buffer[8] = "#######";
        QCOMPARE(ExpandEnvironmentStringsA("%QM_A%-%QM_B%", buffer, 10), DWORD(11));
        QCOMPARE(QByteArray(buffer), QByteArray("#######"));
        QCOMPARE(ExpandEnvironmentStringsA(nullptr, buffer, sizeof buffer), DWORD(0));
        QCOMPARE(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    }

    // Debugger output reaches standard error only when asked for.
    void debugOutput() {
        int pipeEnds[2];
        QCOMPARE(::pipe2(pipeEnds, O_NONBLOCK), 0);
        const int savedError = ::dup(STDERR_FILENO);
        ::dup2(pipeEnds[1], STDERR_FILENO);
        qunsetenv("QUILLMERE_DEBUG_OUTPUT");
        OutputDebugStringA("silent\n");
        qputenv("QUILLMERE_DEBUG_OUTPUT", "1");
        OutputDebugStringA("shown\n");
        OutputDebugStringA(nullptr);
        qunsetenv("QUILLMERE_DEBUG_OUTPUT");
        ::dup2(savedError, STDERR_FILENO);
        ::close(savedError);
        char buffer[64] = {};
        const ssize_t got = ::read(pipeEnds[0], buffer, sizeof buffer - 1);
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
        QCOMPARE(QByteArray(buffer, int(std::max<ssize_t>(got, 0))), QByteArray("shown\n"));
    }

    void leadBytes_data() {
        QTest::addColumn<UINT>("codePage");
        QTest::addColumn<int>("byte");
        QTest::addColumn<bool>("lead");
        const std::pair<int, bool> shiftJis[] = {{0x41, false}, {0x80, false}, {0x81, true},
                                                 {0x9F, true},  {0xA0, false}, {0xDF, false},
                                                 {0xE0, true},  {0xFC, true},  {0xFD, false}};
        for (const auto &[byte, lead] : shiftJis)
            QTest::addRow("932 0x%02X", byte) << CP_SHIFT_JIS << byte << lead;
        QTest::newRow("UTF-8 0xE3") << CP_UTF8 << 0xE3 << false;
        QTest::newRow("ANSI 0x81") << CP_ACP << 0x81 << false;
    }

    void leadBytes() {
        QFETCH(UINT, codePage);
        QFETCH(int, byte);
        QFETCH(bool, lead);
        QCOMPARE(bool(IsDBCSLeadByteEx(codePage, BYTE(byte))), lead);
    }

    void charNext_data() {
        QTest::addColumn<UINT>("codePage");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QList<int>>("steps"); // offsets after each step, up to the NUL
        QTest::newRow("932 mixed") << CP_SHIFT_JIS
                                   << QByteArray("a\x82\xA0"
                                                 "b\xB1"
                                                 "c")
                                   << QList<int>{1, 3, 4, 5, 6};
        QTest::newRow("932 lead byte before NUL")
            << CP_SHIFT_JIS << QByteArray("a\x81") << QList<int>{1, 2};
        QTest::newRow("UTF-8 one to four bytes")
            << CP_UTF8 << QByteArray("a\xC3\xA9\xE3\x81\x82\xF0\x9F\x98\x80")
            << QList<int>{1, 3, 6, 10};
        QTest::newRow("UTF-8 cut short by NUL")
            << CP_ACP << QByteArray("\xE3\x81") << QList<int>{1, 2};
        QTest::newRow("UTF-8 invalid bytes")
            << CP_UTF8 << QByteArray("\xFF\x80z") << QList<int>{1, 2, 3};
        QTest::newRow("single-byte code page")
            << UINT(1252) << QByteArray("\xE3\x81") << QList<int>{1, 2};
    }

    void charNext() {
        QFETCH(UINT, codePage);
        QFETCH(QByteArray, text);
        QFETCH(QList<int>, steps);
        const char *p = text.constData();
        QList<int> actual;
        while (*p)
            actual << int((p = CharNextExA(codePage, p, 0)) - text.constData());
        QCOMPARE(actual, steps);
        QCOMPARE(CharNextExA(codePage, p, 0), p); // stays at the NUL
    }

    void ansiCodePage() { QCOMPARE(GetACP(), CP_UTF8); }

    // The texts of the codes the engine and the registry return, as the system writes them.
    void systemMessages_data() {
        QTest::addColumn<uint>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("E_INVALIDARG") << 0x80070057u << u"パラメーターが間違っています。"_qs;
        QTest::newRow("its Win32 code") << 87u << u"パラメーターが間違っています。"_qs;
        QTest::newRow("E_FAIL") << 0x80004005u << u"エラーを特定できません"_qs;
        QTest::newRow("E_ACCESSDENIED") << 0x80070005u << u"アクセスが拒否されました。"_qs;
        QTest::newRow("E_NOTIMPL") << 0x80004001u << u"実装されていません"_qs;
        QTest::newRow("E_UNEXPECTED") << 0x8000FFFFu << u"致命的なエラーです。"_qs;
        QTest::newRow("DISP_E_TYPEMISMATCH") << 0x80020005u << u"型が一致しません。"_qs;
    }
    void systemMessages() {
        QFETCH(uint, code);
        QFETCH(QString, text);
        char buffer[256];
        const DWORD length =
            FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                           code, 0, buffer, sizeof buffer, nullptr);
        QCOMPARE(QString::fromUtf8(buffer, length), text + u"\r\n"_qs);
    }

    void systemMessageFailures() {
        char buffer[256];
        SetLastError(0);
        QCOMPARE(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 0x80040104u, 0, buffer,
                                sizeof buffer, nullptr),
                 DWORD(0));
        QCOMPARE(GetLastError(), DWORD(ERROR_MR_MID_NOT_FOUND));
        const DWORD needed =
            FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 87, 0, buffer, 256, nullptr) + 1;
        QCOMPARE(
            FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 87, 0, buffer, needed - 1, nullptr),
            DWORD(0));
        QCOMPARE(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
        QCOMPARE(
            FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 87, 0, buffer, needed, nullptr),
            needed - 1);
    }
};

QTEST_GUILESS_MAIN(TestTextServices)
#include "tst_TextServices.moc"
