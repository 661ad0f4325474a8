#include "options/appoption.h"

namespace {
constexpr const char *kOptionKey = "Software\\Tarnwick\\Lumenvale\\1.0";
constexpr const char *kProductSubPath = "Tarnwick\\Lumenvale\\1.0";

std::unique_ptr<TAppOption> g_appOption;
} // namespace

TAppOption *AppOption = nullptr;

TAppOptionBase::TAppOptionBase()
    : FRegistryPath(kOptionKey),
      FReader(std::make_unique<TRegistryIniFile>(FRegistryPath, KEY_QUERY_VALUE)),
      FWriter(std::make_unique<TRegistryIniFile>(FRegistryPath, KEY_WRITE)) {}

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
    software.DeleteKey(kProductSubPath);

    std::string path = kProductSubPath;
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
    FCheckDefaultBrowser = r.ReadBool("Debug", "CheckDefaultBrowser", false);
    FDebugEnable = r.ReadBool("Debug", "Enable", false);
    FLogDialog = r.ReadBool("Debug", "LogDialog", false);
    FToolbarExt = r.ReadBool("Debug", "ToolbarExt", false);
    FShowStatusBar = r.ReadBool("Window", "StatusBar", true);
    FShowMessage = r.ReadBool("UI", "ShowMessage", true);
    FDefaultWidth = r.ReadInteger("UI", "DefaultWidth", -1);
    FDefaultHeight = r.ReadInteger("UI", "DefaultHeight", -1);
}

void TAppOption::SetBool(bool &field, const char *section, const char *ident, bool value) {
    if (field == value)
        return;
    Writer().WriteBool(section, ident, value);
    field = value;
}

void TAppOption::SetCheckDefaultBrowser(bool value) {
    SetBool(FCheckDefaultBrowser, "Debug", "CheckDefaultBrowser", value);
}
void TAppOption::SetDebugEnable(bool value) {
    SetBool(FDebugEnable, "Debug", "Enable", value);
}
void TAppOption::SetToolbarExt(bool value) {
    SetBool(FToolbarExt, "Debug", "ToolbarExt", value);
}
void TAppOption::SetLogDialog(bool value) {
    SetBool(FLogDialog, "Debug", "LogDialog", value);
}
void TAppOption::SetShowMessage(bool value) {
    SetBool(FShowMessage, "UI", "ShowMessage", value);
}

void TAppOption::SetDefaultWidth(int value) {
    FDefaultWidth = value;
    Writer().WriteInteger("UI", "DefaultWidth", value);
}

void TAppOption::SetDefaultHeight(int value) {
    FDefaultHeight = value;
    Writer().WriteInteger("UI", "DefaultHeight", value);
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
