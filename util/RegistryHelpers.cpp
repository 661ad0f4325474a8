// File-type and shell-verb registration helpers of the utility unit.

#include "util/utility.h"

#include "platform/registry/RegistryObjects.h"

#include <algorithm>

namespace {

bool StartsWithNoCase(const std::string &text, const std::string &prefix) {
    if (text.size() < prefix.size())
        return false;
    const auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
    return std::equal(prefix.begin(), prefix.end(), text.begin(),
                      [&](char a, char b) { return fold(a) == fold(b); });
}

// The program part of a command line: the text inside the first pair of double quotes (a doubled
// quote inside stands for one), or the whole line when it does not begin with a quote.
std::string CommandProgram(const std::string &command) {
    if (command.empty() || command.front() != '"')
        return command;
    std::string program;
    for (size_t i = 1; i < command.size(); ++i) {
        if (command[i] != '"') {
            program += command[i];
        } else if (i + 1 < command.size() && command[i + 1] == '"') {
            program += '"';
            ++i;
        } else {
            break;
        }
    }
    return program;
}

// Opens key under HKEY_CLASSES_ROOT, or else under HKEY_CURRENT_USER\Software\Classes, creating
// it; with replace, an existing key is deleted with everything below it first.
bool OpenClassKeyForWriting(TRegistry &reg, const std::string &key, bool replace) {
    const auto attempt = [&](HKEY root, const std::string &path) {
        reg.SetRootKey(root);
        if (replace && reg.KeyExists(path))
            reg.DeleteKey(path);
        return reg.OpenKey(path, true);
    };
    return attempt(HKEY_CLASSES_ROOT, key) ||
           attempt(HKEY_CURRENT_USER, "Software\\Classes\\" + key);
}

std::string ReadDefaultValue(const std::string &classKey) {
    TRegistry reg(KEY_READ);
    reg.SetRootKey(HKEY_CLASSES_ROOT);
    if (!reg.OpenKeyReadOnly(classKey))
        return {};
    try {
        return reg.ReadString("");
    } catch (const ERegistryException &) {
        return {}; // a default value that is not a string
    }
}

} // namespace

std::string ReadClassDefault(const std::string &key) {
    return ReadDefaultValue(key);
}

bool RegisterFileExtension(const std::string &ext, const std::string &typeName,
                           const std::string &contentType, const std::string &perceivedType) {
    TRegistry reg;
    if (!OpenClassKeyForWriting(reg, ext, false))
        return false;
    try {
        reg.WriteString("", typeName);
        reg.WriteString("Content type", contentType);
        reg.WriteString("PerceivedType", perceivedType);
    } catch (const ERegistryException &) {
        return false;
    }
    return true;
}

bool SetShellCommand(const std::string &typeName, const std::string &verb,
                     const std::string &command) {
    if (typeName.empty() || verb.empty())
        return false;
    TRegistry reg;
    if (!OpenClassKeyForWriting(reg, typeName + "\\Shell\\" + verb, true))
        return false;
    if (!reg.OpenKey("command", true))
        return false;
    try {
        reg.WriteString("", command);
    } catch (const ERegistryException &) {
        return false;
    }
    return true;
}

std::string ReadShellCommand(const std::string &typeName, const std::string &verb) {
    if (typeName.empty() || verb.empty())
        return {};
    return ReadDefaultValue(typeName + "\\Shell\\" + verb + "\\command");
}

bool IsShellCommandFor(const std::string &typeName, const std::string &verb,
                       const std::string &exePath) {
    const std::string program = CommandProgram(ReadShellCommand(typeName, verb));
    return !program.empty() && StartsWithNoCase(program, exePath);
}
