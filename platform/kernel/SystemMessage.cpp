#include "platform/kernel/SystemMessage.h"

#include <cstring>
#include <string_view>

namespace {

struct MessageText {
    DWORD id;
    std::string_view text;
};

// Win32 codes, then HRESULTs of their own: the codes this platform's modules return.
constexpr MessageText kMessages[] = {
    {0, "この操作を正しく終了しました。"},
    {2, "指定されたファイルが見つかりません。"},
    {3, "指定されたパスが見つかりません。"},
    {5, "アクセスが拒否されました。"},
    {6, "ハンドルが無効です。"},
    {8, "このコマンドを実行するのに十分な記憶域がありません。"},
    {14, "この操作を完了するのに十分な記憶域がありません。"},
    {87, "パラメーターが間違っています。"},
    {120, "この関数はこのシステムではサポートされていません。"},
    {122, "システム コールに渡されるデータ領域が小さすぎます。"},
    {234, "データがさらにあります。"},
    {259, "データはこれ以上ありません。"},
    {0x80004001, "実装されていません"},
    {0x80004002, "インターフェイスがサポートされていません"},
    {0x80004003, "無効なポインターです"},
    {0x80004004, "操作は中止されました"},
    {0x80004005, "エラーを特定できません"},
    {0x8000FFFF, "致命的なエラーです。"},
    {0x80020003, "メンバーが見つかりません。"},
    {0x80020005, "型が一致しません。"},
    {0x80020009, "例外が発生しました。"},
};

std::string_view Lookup(DWORD id) {
    if ((id & 0xFFFF0000) == 0x80070000) // HRESULT_FROM_WIN32
        id &= 0xFFFF;
    for (const MessageText &message : kMessages)
        if (message.id == id)
            return message.text;
    return {};
}

} // namespace

DWORD FormatMessageA(DWORD flags, const void *source, DWORD messageId, DWORD languageId,
                     LPSTR buffer, DWORD size, void *) {
    if (!(flags & FORMAT_MESSAGE_FROM_SYSTEM) || source || languageId != 0 || !buffer) {
        SetLastError(DWORD(ERROR_INVALID_PARAMETER));
        return 0;
    }
    const std::string_view text = Lookup(messageId);
    if (text.empty()) {
        SetLastError(DWORD(ERROR_MR_MID_NOT_FOUND));
        return 0;
    }
    const std::size_t length = text.size() + 2; // CR LF
    if (length + 1 > size) {
        SetLastError(DWORD(ERROR_INSUFFICIENT_BUFFER));
        return 0;
    }
    std::memcpy(buffer, text.data(), text.size());
    std::memcpy(buffer + text.size(), "\r\n", 3);
    return DWORD(length);
}
