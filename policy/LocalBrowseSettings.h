#pragma once
// The local-browsing settings: where the saved sites lie, the download-control flags handed to
// the engine, and the zone rule for local files. Loaded once; each setter changes the value in
// memory and then writes it at once (a failing write raises ERegistryException afterwards).

#include "platform/registry/RegistryObjects.h"
#include "policy/ZonePolicy.h"

#include <functional>
#include <string>

class TLocalBrowseSettings final {
public:
    // The host's download-control flag word: read and set (the setter notifies the engine).
    using FlagsGetter = std::function<DWORD()>;
    using FlagsSetter = std::function<void(DWORD)>;

    TLocalBrowseSettings(TRegistryIniFile &reader, TRegistryIniFile &writer,
                         LocalPathStyle style = kPosixPathStyle);
    TLocalBrowseSettings(const TLocalBrowseSettings &) = delete;
    TLocalBrowseSettings &operator=(const TLocalBrowseSettings &) = delete;

    void SetDownloadControlAccess(FlagsGetter get, FlagsSetter set);

    // Directory (empty or absent: the default), flags (to the host), UseOrginalUrl, zone.
    void LoadLocalBrowseSettings();

    // False, and nothing changes, for an empty text.
    bool SetLocalWebDirectory(const std::string &text);
    DWORD GetDownloadControlFlags() const;
    void SetDownloadControlFlags(DWORD flags);
    void SetUseOrginalUrl(bool value);
    void SetDefaultSecurityZone(int zone);

    const std::string &LocalWebDirectory() const { return FRule.LocalWebDirectory; }
    bool UseOrginalUrl() const { return FRule.UseOrginalUrl; }
    int DefaultSecurityZone() const { return FRule.DefaultSecurityZone; }
    const LocalZoneRule &Rule() const { return FRule; }

    // "~/Html/" made absolute for the POSIX style, "C:\Html\" for the drive-letter style.
    static std::string DefaultDirectory(const LocalPathStyle &style);

private:
    std::string WithSeparator(const std::string &dir) const;

    TRegistryIniFile &FReader;
    TRegistryIniFile &FWriter;
    LocalZoneRule FRule;
    FlagsGetter FGetFlags;
    FlagsSetter FSetFlags;
};
