// quillmere-platform offline on|off|status
// Switches or shows the user's global connected state; prints "offline" or "online" afterwards.

#include "platform/cli/Commands.h"
#include "platform/wininet/WinInet.h"

#include <ostream>
#include <string>
#include <vector>

namespace {

constexpr const char *kUsage = "usage: quillmere-platform offline on|off|status\n"
                               "\n"
                               "Switches the user's global connected state (shared by every\n"
                               "process of the user) and prints it: offline or online.\n";

} // namespace

int OfflineCommand(const std::vector<std::string> &args, std::ostream &out, std::ostream &err) {
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        out << kUsage;
        return 0;
    }
    if (args.size() != 1 || (args[0] != "on" && args[0] != "off" && args[0] != "status")) {
        err << "usage: quillmere-platform offline on|off|status\n";
        return 2;
    }
    if (args[0] != "status") {
        const bool offline = args[0] == "on";
        INTERNET_CONNECTED_INFO info{offline ? INTERNET_STATE_DISCONNECTED_BY_USER
                                             : INTERNET_STATE_CONNECTED,
                                     offline ? ISO_FORCE_DISCONNECTED : 0};
        if (!InternetSetOptionA(nullptr, INTERNET_OPTION_CONNECTED_STATE, &info, sizeof info)) {
            err << "offline: the state could not be changed (error " << GetLastError() << ")\n";
            return 1;
        }
    }
    DWORD state = 0;
    DWORD size = sizeof state;
    if (!InternetQueryOptionA(nullptr, INTERNET_OPTION_CONNECTED_STATE, &state, &size)) {
        err << "offline: the state could not be read (error " << GetLastError() << ")\n";
        return 1;
    }
    out << ((state & INTERNET_STATE_DISCONNECTED_BY_USER) ? "offline" : "online") << '\n';
    return 0;
}
