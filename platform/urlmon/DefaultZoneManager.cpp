// The platform's zone manager: attributes, action policies and enumeration of zones 0 to 4.

#include "platform/urlmon/ZoneManager.h"

#include "platform/com/ComObject.h"
#include "platform/urlmon/WideText.h"
#include "platform/urlmon/ZoneDefaults.h"
#include "platform/urlmon/ZonePolicy.h"
#include "platform/urlmon/ZoneRegistry.h"

#include <QDebug>

#include <algorithm>
#include <map>
#include <mutex>
#include <vector>

namespace {

// Copies text into a fixed wide field, truncated so that the terminating NUL fits.
template <std::size_t N> void CopyField(WCHAR (&field)[N], std::string_view text) {
    const std::u16string wide = urlmon::ToUtf16(text);
    const std::size_t length = std::min(wide.size(), N - 1);
    std::copy_n(wide.data(), length, field);
    std::fill(field + length, field + N, u'\0');
}

// The text of a fixed wide field up to its NUL (or its end when the caller left none).
template <std::size_t N> std::string FieldText(const WCHAR (&field)[N]) {
    const std::size_t length = std::find(field, field + N, u'\0') - field;
    return urlmon::ToUtf8(std::u16string(field, length).c_str());
}

HKEY WriteRoot(URLZONEREG store) {
    return store == URLZONEREG_HKLM ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

class DefaultZoneManager final : public ComObject<IInternetZoneManager> {
public:
    HRESULT GetZoneAttributes(DWORD zone, ZONEATTRIBUTES *attributes) override {
        const urlmon::ZoneDefinition *definition = urlmon::FindBuiltInZone(zone);
        if (!attributes || !definition)
            return E_INVALIDARG;
        CopyField(attributes->szDisplayName, definition->displayName);
        CopyField(attributes->szDescription, definition->description);
        CopyField(attributes->szIconPath, definition->iconPath);
        const auto setting = [&](const char *name, DWORD fallback) {
            return urlmon::ZoneSetting(zone, name, URLZONEREG_DEFAULT).value_or(fallback);
        };
        attributes->dwTemplateMinLevel = setting("MinLevel", definition->minLevel);
        attributes->dwTemplateRecommended =
            setting("RecommendedLevel", definition->recommendedLevel);
        attributes->dwTemplateCurrentLevel = setting("CurrentLevel", definition->currentLevel);
        attributes->dwFlags = setting("Flags", definition->flags);
        return S_OK;
    }

    HRESULT SetZoneAttributes(DWORD zone, ZONEATTRIBUTES *attributes) override {
        if (!attributes || !urlmon::IsKnownZone(zone))
            return E_INVALIDARG;
        const std::string path = urlmon::ZoneKeyPath(zone);
        const bool ok = urlmon::WriteString(HKEY_CURRENT_USER, path, "DisplayName",
                                            FieldText(attributes->szDisplayName)) &&
                        urlmon::WriteString(HKEY_CURRENT_USER, path, "Description",
                                            FieldText(attributes->szDescription)) &&
                        urlmon::WriteString(HKEY_CURRENT_USER, path, "Icon",
                                            FieldText(attributes->szIconPath)) &&
                        urlmon::WriteDword(HKEY_CURRENT_USER, path, "MinLevel",
                                           attributes->dwTemplateMinLevel) &&
                        urlmon::WriteDword(HKEY_CURRENT_USER, path, "RecommendedLevel",
                                           attributes->dwTemplateRecommended) &&
                        urlmon::WriteDword(HKEY_CURRENT_USER, path, "CurrentLevel",
                                           attributes->dwTemplateCurrentLevel) &&
                        urlmon::WriteDword(HKEY_CURRENT_USER, path, "Flags", attributes->dwFlags);
        return ok ? S_OK : E_ACCESSDENIED;
    }

    HRESULT GetZoneCustomPolicy(DWORD, REFGUID, BYTE **policy, DWORD *policySize,
                                URLZONEREG) override {
        qWarning("urlmon: GetZoneCustomPolicy is not implemented");
        if (policy)
            *policy = nullptr;
        if (policySize)
            *policySize = 0;
        return E_NOTIMPL;
    }

    HRESULT SetZoneCustomPolicy(DWORD, REFGUID, BYTE *, DWORD, URLZONEREG) override {
        qWarning("urlmon: SetZoneCustomPolicy is not implemented");
        return E_NOTIMPL;
    }

    HRESULT GetZoneActionPolicy(DWORD zone, DWORD action, BYTE *policy, DWORD policySize,
                                URLZONEREG store) override {
        if (!policy || policySize < sizeof(DWORD) || !urlmon::IsKnownZone(zone) ||
            store > URLZONEREG_HKCU)
            return E_INVALIDARG;
        const auto value = urlmon::ZoneActionPolicy(zone, action, store);
        if (!value)
            return E_FAIL;
        for (std::size_t i = 0; i < sizeof(DWORD); ++i)
            policy[i] = static_cast<BYTE>(*value >> (8 * i));
        return S_OK;
    }

    HRESULT SetZoneActionPolicy(DWORD zone, DWORD action, BYTE *policy, DWORD policySize,
                                URLZONEREG store) override {
        if (!policy || policySize < sizeof(DWORD) || !urlmon::IsKnownZone(zone) ||
            store > URLZONEREG_HKCU)
            return E_INVALIDARG;
        const DWORD value = DWORD(policy[0]) | DWORD(policy[1]) << 8 | DWORD(policy[2]) << 16 |
                            DWORD(policy[3]) << 24;
        return urlmon::WriteDword(WriteRoot(store), urlmon::ZoneKeyPath(zone),
                                  urlmon::ActionValueName(action), value)
                   ? S_OK
                   : E_ACCESSDENIED;
    }

    HRESULT PromptAction(DWORD, HWND, LPCWSTR, LPCWSTR, DWORD) override {
        qWarning("urlmon: PromptAction is not implemented (no prompts on this platform)");
        return E_NOTIMPL;
    }

    HRESULT LogAction(DWORD, LPCWSTR, LPCWSTR, DWORD) override {
        qWarning("urlmon: LogAction is not implemented");
        return E_NOTIMPL;
    }

    HRESULT CreateZoneEnumerator(DWORD *enumerator, DWORD *count, DWORD flags) override {
        if (!enumerator || !count || flags != 0)
            return E_INVALIDARG;
        std::vector<DWORD> zones;
        for (const urlmon::ZoneDefinition &zone : urlmon::BuiltInZones())
            zones.push_back(zone.zone);
        const std::lock_guard lock(m_mutex);
        *enumerator = ++m_lastEnumerator;
        *count = static_cast<DWORD>(zones.size());
        m_enumerators.emplace(*enumerator, std::move(zones));
        return S_OK;
    }

    HRESULT GetZoneAt(DWORD enumerator, DWORD index, DWORD *zone) override {
        if (!zone)
            return E_INVALIDARG;
        const std::lock_guard lock(m_mutex);
        const auto it = m_enumerators.find(enumerator);
        if (it == m_enumerators.end() || index >= it->second.size())
            return E_INVALIDARG;
        *zone = it->second[index];
        return S_OK;
    }

    HRESULT DestroyZoneEnumerator(DWORD enumerator) override {
        const std::lock_guard lock(m_mutex);
        return m_enumerators.erase(enumerator) ? S_OK : E_INVALIDARG;
    }

    HRESULT CopyTemplatePoliciesToZone(DWORD templateLevel, DWORD zone, DWORD) override {
        if (!urlmon::IsKnownZone(zone) || templateLevel < URLTEMPLATE_PREDEFINED_MIN ||
            templateLevel >= URLTEMPLATE_PREDEFINED_MAX ||
            !urlmon::TemplatePolicy(templateLevel, URLACTION_SCRIPT_RUN))
            return E_INVALIDARG;
        const std::string path = urlmon::ZoneKeyPath(zone);
        for (const DWORD action : urlmon::TemplateActions())
            if (!urlmon::WriteDword(HKEY_CURRENT_USER, path, urlmon::ActionValueName(action),
                                    *urlmon::TemplatePolicy(templateLevel, action)))
                return E_ACCESSDENIED;
        return urlmon::WriteDword(HKEY_CURRENT_USER, path, "CurrentLevel", templateLevel)
                   ? S_OK
                   : E_ACCESSDENIED;
    }

private:
    std::mutex m_mutex;
    DWORD m_lastEnumerator = 0;
    std::map<DWORD, std::vector<DWORD>> m_enumerators;
};

} // namespace

HRESULT CoInternetCreateZoneManager(IServiceProvider *, IInternetZoneManager **manager,
                                    DWORD reserved) {
    if (!manager)
        return E_INVALIDARG;
    *manager = nullptr;
    if (reserved != 0)
        return E_INVALIDARG;
    urlmon::SeedMachineStore();
    *manager = MakeComObject<DefaultZoneManager>().Detach();
    return S_OK;
}
