#include "policy/LocalBrowseSettings.h"

#include "platform/urlmon/Zones.h"
#include "policy/LocalPath.h"

#include <cstdlib>

namespace {
constexpr const char *kLocalBrowse = "LocalBrowse";
constexpr const char *kSecurityOption = "SecurityOption";
constexpr DWORD kDefaultDownloadControl = 0x10; // DLCTL_DLIMAGES
constexpr int kDefaultZone = URLZONE_INTERNET;
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
    const std::string dir = FReader.ReadString(kLocalBrowse, "Directory", "");
    FRule.LocalWebDirectory = dir.empty() ? DefaultDirectory(FRule.PathStyle) : WithSeparator(dir);
    const DWORD flags =
        DWORD(FReader.ReadInteger(kSecurityOption, "DLControl", int(kDefaultDownloadControl)));
    if (FSetFlags)
        FSetFlags(flags);
    FRule.UseOrginalUrl = FReader.ReadBool(kSecurityOption, "UseOrginalUrl", false);
    FRule.DefaultSecurityZone =
        FReader.ReadInteger(kSecurityOption, "DefaultSecurityZone", kDefaultZone);
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
    FWriter.WriteString(kLocalBrowse, "Directory", FRule.LocalWebDirectory);
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
    FWriter.WriteInteger(kSecurityOption, "DLControl", int(flags));
}

void TLocalBrowseSettings::SetUseOrginalUrl(bool value) {
    if (value == FRule.UseOrginalUrl)
        return;
    FRule.UseOrginalUrl = value;
    FWriter.WriteBool(kSecurityOption, "UseOrginalUrl", value);
}

void TLocalBrowseSettings::SetDefaultSecurityZone(int zone) {
    if (zone == FRule.DefaultSecurityZone)
        return;
    FRule.DefaultSecurityZone = zone;
    FWriter.WriteInteger(kSecurityOption, "DefaultSecurityZone", zone);
}
