#pragma once
// The zone of a URL from this platform's own settings: local files are My Computer; site lists
// decide listed hosts; dot-less host names and server shares are Local intranet (ZoneMap
// "IntranetName", "UNCAsIntranet"); the rest follows ZoneMap\ProtocolDefaults, else Internet.

#include "platform/urlmon/SecurityUrl.h"

namespace urlmon {

DWORD ZoneOfUrl(const SecurityUrl &url, DWORD mutzFlags);

} // namespace urlmon
