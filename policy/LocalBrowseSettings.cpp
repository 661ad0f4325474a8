#include "policy/LocalBrowseSettings.h"

#include "platform/registry/IniValue.h"
#include "platform/urlmon/Zones.h"
#include "policy/LocalPath.h"

#include <cstdlib>

namespace {
// The local-browsing values of the option key. An empty or absent directory is the default one.
const TIniValue<std::string> kDirectory{"LocalBrowse", "Directory", ""};
constexpr TIniValue<int> kDownloadControl{"SecurityOption", "DLControl", 0x10}; // DLCTL_DLIMAGES
constexpr TIniValue<bool> kUseOrginalUrl{"SecurityOption", "UseOrginalUrl", false};
constexpr TIniValue<int> kDefaultSecurityZone{"SecurityOption", "DefaultSecurityZone",
                                              URLZONE_INTERNET};
} // namespace

TLocalBrowseSettings::TLocalBrowseSettings(TRegistryIniFile &reader, TRegistryIniFile &writer,
                                           LocalPathStyle style)
    : FReader(reader), FWriter(writer) {
    FRule.PathStyle = style;
    FRule.LocalWebDirectory = DefaultDirectory(style);
}

void TLocalBrowseSettings::SetDownloadControlAccess(FlagsGetter get, FlagsSetter set) {
    FGetFlags = std::move(get);
    FSetFlags = std::move(set);
}

std::string TLocalBrowseSettings::DefaultDirectory(const LocalPathStyle &style) {
    if (style.driveLetters)
        return "C:\\Html\\";
    const char *home = std::getenv("HOME");
    return std::string(home && *home ? home : "") + "/Html/";
}

std::string TLocalBrowseSettings::WithSeparator(const std::string &dir) const {
    return dir.back() == FRule.PathStyle.separator ? dir : dir + FRule.PathStyle.separator;
}

void TLocalBrowseSettings::LoadLocalBrowseSettings() {
    const std::string dir = kDirectory.Read(FReader);
    FRule.LocalWebDirectory = dir.empty() ? DefaultDirectory(FRule.PathStyle) : WithSeparator(dir);
    const DWORD flags = DWORD(kDownloadControl.Read(FReader));
    if (FSetFlags)
        FSetFlags(flags);
    FRule.UseOrginalUrl = kUseOrginalUrl.Read(FReader);
    FRule.DefaultSecurityZone = kDefaultSecurityZone.Read(FReader);
}

bool TLocalBrowseSettings::SetLocalWebDirectory(const std::string &text) {
    if (text.empty())
        return false;
    const std::string &current = FRule.LocalWebDirectory;
    const bool same = FRule.PathStyle.foldCase ? localpath::EqualsIgnoringAsciiCase(text, current)
                                               : text == current;
    if (same)
        return true;
    FRule.LocalWebDirectory = WithSeparator(text);
    kDirectory.Write(FWriter, FRule.LocalWebDirectory);
    return true;
}

DWORD TLocalBrowseSettings::GetDownloadControlFlags() const {
    return FGetFlags ? FGetFlags() : 0;
}

void TLocalBrowseSettings::SetDownloadControlFlags(DWORD flags) {
    if (flags == GetDownloadControlFlags())
        return;
    if (FSetFlags)
        FSetFlags(flags);
    kDownloadControl.Write(FWriter, int(flags));
}

void TLocalBrowseSettings::SetUseOrginalUrl(bool value) {
    if (value == FRule.UseOrginalUrl)
        return;
    FRule.UseOrginalUrl = value;
    kUseOrginalUrl.Write(FWriter, value);
}

void TLocalBrowseSettings::SetDefaultSecurityZone(int zone) {
    if (zone == FRule.DefaultSecurityZone)
        return;
    FRule.DefaultSecurityZone = zone;
    kDefaultSecurityZone.Write(FWriter, zone);
}
