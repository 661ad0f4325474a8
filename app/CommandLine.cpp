#include "app/CommandLine.h"

#include "ProductVersion.h"

#include <cerrno>
#include <cstring>
#include <string_view>

namespace commandline {

namespace {

constexpr std::string_view kHelp =
    "使い方: quillmere [アドレスまたはファイル]\n"
    "        quillmere --help | --version\n"
    "\n"
    "ローカルに保存したWebサイトを閲覧するウィンドウを1つ開きます。ウィンドウごとに\n"
    "プロセスが1つ動きます。最初の引数だけを見ます。\n"
    "\n"
    "  (引数なし)              ホームページを開きます。\n"
    "  アドレスまたはファイル  そのままアドレス欄に入れて開きます: 絶対パス\n"
    "                          (/で始まる引数はパスです)、file: URL、Webアドレス。\n"
    "  -で始まる引数           スイッチ: ウィンドウを開き、何も読み込みません。\n"
    "  空の引数 (\"\")           ウィンドウを開き、何も読み込みません。\n"
    "  --help                  この説明を表示して終了します。\n"
    "  --version               バージョンを表示して終了します。\n"
    "\n"
    "保存したサイトはローカルWebディレクトリ (既定は~/Html/、ホストごとに1つの\n"
    "ディレクトリ) の下で探します。設定はquillmere-platform(1)で読み書きできます。\n"
    "プラットフォームの状態 (レジストリなど) は$QUILLMERE_PLATFORM_DIR、なければ\n"
    "$XDG_DATA_HOME/quillmereに置きます。詳しくは man quillmere を見てください。\n";

} // namespace

Request Classify(int argc, const char *const argv[]) {
    if (argc < 2 || argv[1] == nullptr)
        return Request::Window;
    const std::string_view first = argv[1];
    if (first == "--help")
        return Request::Help;
    if (first == "--version")
        return Request::Version;
    return Request::Window;
}

int Answer(Request request, std::ostream &out, std::ostream &err) {
    if (request == Request::Help)
        out << kHelp;
    else if (request == Request::Version)
        out << "quillmere " << QM_VERSION << '\n' << QM_COPYRIGHT << '\n';
    errno = 0;
    out.flush();
    if (out)
        return 0;
    const int error = errno;
    err << "quillmere: 標準出力に書き込めません";
    if (error != 0)
        err << ": " << std::strerror(error);
    err << '\n';
    return 1;
}

} // namespace commandline
