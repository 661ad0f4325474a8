// quillmere-platform: administration of the platform state (registry, zones, offline state...).

#include "platform/cli/Commands.h"

#include "ProductVersion.h"

#include <cerrno>
#include <cstring>
#include <iostream>
#include <string_view>

namespace {

struct Command {
    std::string_view name;
    CommandFunction run;
    std::string_view summary;
};

// One line per sub-command.
constexpr Command Commands[] = {
    {"reg", RegCommand, "query, add, delete, import and export registry keys and values"},
    {"zone", ZoneCommand, "zone of a URL and the policy of the main URL actions there"},
    {"sites", SitesCommand, "add, remove or list sites of a zone in the user's site list"},
    {"canonicalize", CanonicalizeCommand, "canonical form of a URL (InternetCanonicalizeUrlA)"},
    {"offline", OfflineCommand, "switch or show the global offline state"},
    {"version", VersionCommand, "version resource of a PE or ELF file: versions, strings"},
};

int Usage(std::ostream &out) {
    out << "usage: quillmere-platform <command> [arguments]\n"
           "       quillmere-platform <command> --help\n"
           "       quillmere-platform --help | --version\n\ncommands:\n";
    for (const auto &command : Commands)
        out << "  " << command.name << "  " << command.summary << "\n";
    out << "\nThe platform directory is $QUILLMERE_PLATFORM_DIR, else $XDG_DATA_HOME/quillmere.\n";
    return 0;
}

int Run(int argc, char **argv) {
    if (argc < 2) {
        Usage(std::cerr);
        return 2;
    }
    const std::string_view name = argv[1];
    if (name == "--help" || name == "-h" || name == "help")
        return Usage(std::cout);
    if (name == "--version") {
        std::cout << "quillmere-platform " << QM_VERSION << '\n' << QM_COPYRIGHT << '\n';
        return 0;
    }
    for (const auto &command : Commands)
        if (command.name == name)
            return command.run(std::vector<std::string>(argv + 2, argv + argc), std::cout,
                               std::cerr);
    std::cerr << "quillmere-platform: unknown command '" << name << "' (see --help)\n";
    return 2;
}

} // namespace

// A command that succeeded but whose output could not be written (a full disk) fails.
int main(int argc, char **argv) {
    const int status = Run(argc, argv);
    errno = 0;
    std::cout.flush();
    if (std::cout || status != 0)
        return status;
    const int error = errno;
    std::cerr << "quillmere-platform: cannot write to standard output";
    if (error != 0)
        std::cerr << ": " << std::strerror(error);
    std::cerr << '\n';
    return 1;
}
