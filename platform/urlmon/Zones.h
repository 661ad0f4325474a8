#pragma once
// Zone vocabulary: zone numbers, templates, zone-attribute flags and record, and the flag words
// of MapUrlToZone, ProcessUrlAction and SetZoneMapping.

#include "platform/urlmon/WideChar.h"

// Zones.
constexpr DWORD URLZONE_INVALID = static_cast<DWORD>(-1);
constexpr DWORD URLZONE_PREDEFINED_MIN = 0;
constexpr DWORD URLZONE_LOCAL_MACHINE = 0;
constexpr DWORD URLZONE_INTRANET = 1;
constexpr DWORD URLZONE_TRUSTED = 2;
constexpr DWORD URLZONE_INTERNET = 3;
constexpr DWORD URLZONE_UNTRUSTED = 4;
constexpr DWORD URLZONE_PREDEFINED_MAX = 999;
constexpr DWORD URLZONE_USER_MIN = 1000;
constexpr DWORD URLZONE_USER_MAX = 10000;
constexpr DWORD URLZONE_ESC_FLAG = 0x100;

// Security templates (standard levels).
constexpr DWORD URLTEMPLATE_CUSTOM = 0x00000;
constexpr DWORD URLTEMPLATE_PREDEFINED_MIN = 0x10000;
constexpr DWORD URLTEMPLATE_LOW = 0x10000;
constexpr DWORD URLTEMPLATE_MEDLOW = 0x10500;
constexpr DWORD URLTEMPLATE_MEDIUM = 0x11000;
constexpr DWORD URLTEMPLATE_MEDHIGH = 0x11500;
constexpr DWORD URLTEMPLATE_HIGH = 0x12000;
constexpr DWORD URLTEMPLATE_PREDEFINED_MAX = 0x20000;

// Zone attribute flags.
constexpr DWORD ZAFLAGS_CUSTOM_EDIT = 0x1;
constexpr DWORD ZAFLAGS_ADD_SITES = 0x2;
constexpr DWORD ZAFLAGS_REQUIRE_VERIFICATION = 0x4;
constexpr DWORD ZAFLAGS_INCLUDE_PROXY_OVERRIDE = 0x8;
constexpr DWORD ZAFLAGS_INCLUDE_INTRANET_SITES = 0x10;
constexpr DWORD ZAFLAGS_NO_UI = 0x20;
constexpr DWORD ZAFLAGS_SUPPORTS_VERIFICATION = 0x40;
constexpr DWORD ZAFLAGS_UNC_AS_INTRANET = 0x80;
constexpr DWORD ZAFLAGS_DETECT_INTRANET = 0x100;
constexpr DWORD ZAFLAGS_USE_LOCKED_ZONES = 0x10000;
constexpr DWORD ZAFLAGS_VERIFY_TEMPLATE_SETTINGS = 0x20000;
constexpr DWORD ZAFLAGS_NO_CACHE = 0x40000;

// MapUrlToZone flags.
constexpr DWORD MUTZ_NOSAVEDFILECHECK = 0x1;
constexpr DWORD MUTZ_ISFILE = 0x2;
constexpr DWORD MUTZ_ACCEPT_WILDCARD_SCHEME = 0x80;
constexpr DWORD MUTZ_ENFORCERESTRICTED = 0x100;
constexpr DWORD MUTZ_RESERVED = 0x200;
constexpr DWORD MUTZ_REQUIRESAVEDFILECHECK = 0x400;
constexpr DWORD MUTZ_DONT_UNESCAPE = 0x800;
constexpr DWORD MUTZ_DONT_USE_CACHE = 0x1000;
constexpr DWORD MUTZ_FORCE_INTRANET_FLAGS = 0x2000;
constexpr DWORD MUTZ_IGNORE_ZONE_MAPPINGS = 0x4000;

// ProcessUrlAction flags.
constexpr DWORD PUAF_DEFAULT = 0x0;
constexpr DWORD PUAF_NOUI = 0x1;
constexpr DWORD PUAF_ISFILE = 0x2;
constexpr DWORD PUAF_WARN_IF_DENIED = 0x4;
constexpr DWORD PUAF_FORCEUI_FOREGROUND = 0x8;
constexpr DWORD PUAF_CHECK_TIFS = 0x10;
constexpr DWORD PUAF_DONTCHECKBOXINDIALOG = 0x20;
constexpr DWORD PUAF_TRUSTED = 0x40;
constexpr DWORD PUAF_ACCEPT_WILDCARD_SCHEME = 0x80;
constexpr DWORD PUAF_ENFORCERESTRICTED = 0x100;
constexpr DWORD PUAF_NOSAVEDFILECHECK = 0x200;
constexpr DWORD PUAF_REQUIRESAVEDFILECHECK = 0x400;
constexpr DWORD PUAF_DONT_USE_CACHE = 0x1000;
constexpr DWORD PUAF_LMZ_UNLOCKED = 0x10000;
constexpr DWORD PUAF_LMZ_LOCKED = 0x20000;
constexpr DWORD PUAF_DEFAULTZONEPOL = 0x40000;
constexpr DWORD PUAF_NPL_USE_LOCKED_IF_RESTRICTED = 0x80000;
constexpr DWORD PUAF_NOUIIFLOCKED = 0x100000;
constexpr DWORD PUAF_DRAGPROTOCOLCHECK = 0x200000;

// SetZoneMapping flags.
constexpr DWORD SZM_CREATE = 0x0;
constexpr DWORD SZM_DELETE = 0x1;

constexpr DWORD MAX_SIZE_SECURITY_ID = 512;
constexpr DWORD MAX_ZONE_PATH = 260;
constexpr DWORD MAX_ZONE_DESCRIPTION = 200;

// Which store a zone-manager call reads or writes: DEFAULT is the user store over the machine
// store over the built-in templates.
enum URLZONEREG { URLZONEREG_DEFAULT = 0, URLZONEREG_HKLM = 1, URLZONEREG_HKCU = 2 };

struct ZONEATTRIBUTES {
    ULONG cbSize = 0;
    WCHAR szDisplayName[MAX_ZONE_PATH]{};
    WCHAR szDescription[MAX_ZONE_DESCRIPTION]{};
    WCHAR szIconPath[MAX_ZONE_PATH]{};
    DWORD dwTemplateMinLevel = 0;
    DWORD dwTemplateRecommended = 0;
    DWORD dwTemplateCurrentLevel = 0;
    DWORD dwFlags = 0;
};
static_assert(sizeof(ZONEATTRIBUTES) == 1460, "the program passes records of 1460 bytes");
