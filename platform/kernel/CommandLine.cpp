#include "platform/kernel/Process.h"

namespace platform {

std::optional<std::vector<std::string>> SplitCommandLine(std::string_view commandLine) {
    std::vector<std::string> arguments;
    std::string current;
    bool inArgument = false;
    for (std::size_t i = 0; i < commandLine.size();) {
        const char c = commandLine[i];
        if (c == ' ' || c == '\t') {
            if (inArgument)
                arguments.push_back(std::move(current));
            current.clear();
            inArgument = false;
            ++i;
            continue;
        }
        inArgument = true;
        if (c != '\'' && c != '"') {
            current += c;
            ++i;
            continue;
        }
        // A quoted part: up to the next single quote character, a doubled one standing for one.
        for (++i;; ++i) {
            if (i >= commandLine.size())
                return std::nullopt;
            if (commandLine[i] != c) {
                current += commandLine[i];
            } else if (i + 1 < commandLine.size() && commandLine[i + 1] == c) {
                current += c;
                ++i;
            } else {
                ++i;
                break;
            }
        }
    }
    if (inArgument)
        arguments.push_back(std::move(current));
    return arguments;
}

} // namespace platform
