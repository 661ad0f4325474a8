#include "options/appoption.h"

#include "options/OptionKey.h"

#include <string_view>

namespace {
// The option key's path below "Software\\".
constexpr std::string_view kSoftware = "Software\\";
static_assert(std::string_view(optionkey::Path).starts_with(kSoftware));
constexpr std::string_view kProductSubPath =
    std::string_view(optionkey::Path).substr(kSoftware.size());

std::unique_ptr<TAppOption> g_appOption;
} // namespace

TAppOption *AppOption = nullptr;

TAppOptionBase::TAppOptionBase()
    : FRegistryPath(optionkey::Path), FReader(optionkey::Open(KEY_QUERY_VALUE)),
      FWriter(optionkey::Open(KEY_WRITE)) {}

TAppOptionBase::~TAppOptionBase() {
    FReader.reset();
    FWriter.reset();
}

bool TAppOptionBase::IsOptionKeyWritable() const {
    if (FRegistryPath.empty())
        return false;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, FRegistryPath.c_str(), 0, KEY_WRITE | KEY_QUERY_VALUE,
                      &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

void TAppOptionBase::RemoveOptionKeys() {
    TRegistry software;
    TRegistry probe;
    software.SetRootKey(HKEY_CURRENT_USER);
    probe.SetRootKey(HKEY_CURRENT_USER);
    if (!software.OpenKey("Software", false))
        return;
    software.DeleteKey(std::string(kProductSubPath));

    std::string path(kProductSubPath);
    for (;;) {
        if (probe.OpenKey("\\Software\\" + path, false)) {
            if (probe.HasSubKeys() || !probe.GetValueNames().empty())
                return;
            probe.CloseKey();
            software.DeleteKey(path);
        }
        const auto cut = path.rfind('\\');
        if (cut == std::string::npos)
            return;
        path.resize(cut);
    }
}

TAppOption::TAppOption() {
    Load();
}

void TAppOption::Load() {
    TRegistryIniFile &r = Reader();
    FCheckDefaultBrowser = optionkey::CheckDefaultBrowser.Read(r);
    FDebugEnable = optionkey::DebugEnable.Read(r);
    FLogDialog = optionkey::LogDialog.Read(r);
    FToolbarExt = optionkey::ToolbarExt.Read(r);
    FShowStatusBar = optionkey::StatusBar.Read(r);
    FShowMessage = optionkey::ShowMessage.Read(r);
    FDefaultWidth = optionkey::DefaultWidth.Read(r);
    FDefaultHeight = optionkey::DefaultHeight.Read(r);
}

void TAppOption::SetBool(bool &field, const TIniValue<bool> &option, bool value) {
    if (field == value)
        return;
    option.Write(Writer(), value);
    field = value;
}

void TAppOption::SetCheckDefaultBrowser(bool value) {
    SetBool(FCheckDefaultBrowser, optionkey::CheckDefaultBrowser, value);
}
void TAppOption::SetDebugEnable(bool value) {
    SetBool(FDebugEnable, optionkey::DebugEnable, value);
}
void TAppOption::SetToolbarExt(bool value) {
    SetBool(FToolbarExt, optionkey::ToolbarExt, value);
}
void TAppOption::SetLogDialog(bool value) {
    SetBool(FLogDialog, optionkey::LogDialog, value);
}
void TAppOption::SetShowMessage(bool value) {
    SetBool(FShowMessage, optionkey::ShowMessage, value);
}

void TAppOption::SetDefaultWidth(int value) {
    FDefaultWidth = value;
    optionkey::DefaultWidth.Write(Writer(), value);
}

void TAppOption::SetDefaultHeight(int value) {
    FDefaultHeight = value;
    optionkey::DefaultHeight.Write(Writer(), value);
}

namespace appoption {
void Initialize() {
    g_appOption = std::make_unique<TAppOption>();
    AppOption = g_appOption.get();
}

void Finalize() {
    AppOption = nullptr;
    g_appOption.reset();
}
} // namespace appoption
