// quillmere-platform reg: the registry from the command line, modelled on the original reg tool.

#include "platform/cli/Commands.h"
#include "platform/cli/RegValueText.h"
#include "platform/registry/ErrorText.h"
#include "platform/registry/KeyNames.h"
#include "platform/registry/MachineStore.h"
#include "platform/registry/RegFile.h"

#include <cctype>
#include <filesystem>
#include <map>
#include <optional>

namespace {

constexpr const char *Help =
    "usage: quillmere-platform reg <operation> ...\n"
    "\n"
    "  reg query KEY [/v NAME | /ve] [/s]\n"
    "  reg add KEY [/v NAME | /ve] [/t TYPE] [/d DATA] [/se SEP] [/f]\n"
    "  reg delete KEY [/v NAME | /ve | /va] /f\n"
    "  reg import FILE\n"
    "  reg export KEY FILE [/y]\n"
    "  reg machine-readonly on|off|status\n"
    "\n"
    "KEY     HKCU, HKLM or HKCR (or HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE,\n"
    "        HKEY_CLASSES_ROOT), then \\ and the sub-key path; quote it for the shell.\n"
    "/v      the value NAME; /ve the default (unnamed) value; /va all values of KEY.\n"
    "/s      query KEY and all its sub-keys.\n"
    "/t      REG_SZ (default), REG_EXPAND_SZ, REG_MULTI_SZ, REG_DWORD, REG_QWORD,\n"
    "        REG_BINARY or REG_NONE.\n"
    "/d      the data: text; REG_DWORD/REG_QWORD decimal or 0x hexadecimal;\n"
    "        REG_BINARY/REG_NONE hex digits; REG_MULTI_SZ strings separated by \\0\n"
    "        (or by SEP given with /se).\n"
    "/f      overwrite an existing value without complaint (add); confirm deletion\n"
    "        (delete refuses without it, as it cannot ask).\n"
    "/y      overwrite an existing FILE (export).\n"
    "\n"
    "Options may also be written -v or --v, in any case. Other arguments, such as\n"
    "/tmp/x.reg, are names. import reads the 5.00 form (UTF-16LE or UTF-8) and REGEDIT4\n"
    "(UTF-8 when valid, else Shift_JIS), all of a file or nothing; export writes the\n"
    "5.00 form in UTF-16LE.\n"
    "machine-readonly makes the machine store (HKLM and new HKCR keys) read-only for\n"
    "every user, root included, through the marker file machine.readonly in the\n"
    "platform directory; a machine.db without write permission is read-only as well.\n"
    "\n"
    "Exit status: 0 success, 1 the operation failed, 2 bad usage.\n";

constexpr const char *NotFound =
    "ERROR: The system was unable to find the specified registry key or value.";

struct Options {
    std::vector<std::string> names; // positional arguments
    std::optional<std::string> value;
    bool defaultValue = false;
    bool allValues = false;
    bool force = false;
    bool recursive = false;
    bool overwriteFile = false;
    std::optional<std::string> type;
    std::optional<std::string> data;
    std::string separator = "\\0";
};

// "/v", "-v" and "--v" in any case name the option "v"; anything else is a name.
std::optional<std::string> OptionName(const std::string &arg) {
    std::string name;
    if (arg.rfind("--", 0) == 0)
        name = arg.substr(2);
    else if (!arg.empty() && (arg[0] == '/' || arg[0] == '-'))
        name = arg.substr(1);
    else
        return std::nullopt;
    for (char &c : name)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    static const char *const Known[] = {"v", "ve", "va", "t", "d", "f", "s", "se", "y"};
    for (const char *known : Known)
        if (name == known)
            return name;
    return std::nullopt;
}

std::optional<Options> ParseOptions(const std::vector<std::string> &args, std::ostream &err) {
    Options options;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const auto name = OptionName(args[i]);
        if (!name) {
            options.names.push_back(args[i]);
            continue;
        }
        const std::map<std::string, std::optional<std::string> *> withValue{
            {"v", &options.value}, {"t", &options.type}, {"d", &options.data}};
        if (withValue.count(*name) || *name == "se") {
            if (i + 1 >= args.size()) {
                err << "reg: " << args[i] << " needs a value\n";
                return std::nullopt;
            }
            if (*name == "se")
                options.separator = args[++i];
            else
                *withValue.at(*name) = args[++i];
        } else {
            bool *flag = *name == "ve"   ? &options.defaultValue
                         : *name == "va" ? &options.allValues
                         : *name == "f"  ? &options.force
                         : *name == "s"  ? &options.recursive
                                         : &options.overwriteFile;
            *flag = true;
        }
    }
    if (options.separator.empty()) {
        err << "reg: /se needs a non-empty separator\n";
        return std::nullopt;
    }
    if (int(options.value.has_value()) + int(options.defaultValue) + int(options.allValues) > 1) {
        err << "reg: use only one of /v, /ve and /va\n";
        return std::nullopt;
    }
    return options;
}

class Key final {
public:
    ~Key() {
        if (FKey)
            RegCloseKey(FKey);
    }
    HKEY *out() { return &FKey; }
    HKEY get() const { return FKey; }

private:
    HKEY FKey = nullptr;
};

int Failure(std::ostream &err, LONG status) {
    if (status == ERROR_FILE_NOT_FOUND)
        err << NotFound << "\n";
    else
        err << "ERROR: " << registry::ErrorText(status) << "\n";
    return 1;
}

int Usage(std::ostream &err, const std::string &message) {
    err << "reg: " << message << " (see reg --help)\n";
    return 2;
}

struct Target {
    registry::RootedPath path;
    std::string display; // the full root name and the sub-key as given
};

std::optional<Target> KeyArgument(const Options &options, std::size_t count, std::ostream &err) {
    if (options.names.size() != count) {
        Usage(err, "wrong number of arguments");
        return std::nullopt;
    }
    auto rooted = registry::ParseRootedPath(options.names[0]);
    if (!rooted || rooted->root == HKEY_USERS) {
        Usage(err, "invalid key name '" + options.names[0] + "' (roots: HKCU, HKLM, HKCR)");
        return std::nullopt;
    }
    const std::string root = registry::RootKeyName(rooted->root);
    const std::string display = rooted->subKey.empty() ? root : root + "\\" + rooted->subKey;
    return Target{std::move(*rooted), display};
}

std::vector<BYTE> ReadData(HKEY key, const std::string &name, DWORD &type, LONG &status) {
    DWORD size = 0;
    std::vector<BYTE> data;
    status = RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size);
    while (status == ERROR_SUCCESS) {
        data.resize(size);
        status = RegQueryValueExA(key, name.c_str(), nullptr, &type, data.data(), &size);
        if (status == ERROR_SUCCESS)
            data.resize(size);
        if (status != ERROR_MORE_DATA)
            break;
        status = ERROR_SUCCESS;
    }
    return data;
}

void PrintValue(std::ostream &out, const std::string &name, DWORD type,
                const std::vector<BYTE> &data) {
    out << "    " << (name.empty() ? "(Default)" : name) << "    " << cli::TypeName(type) << "    "
        << cli::FormatData(type, data) << "\n";
}

// The name as stored, which may differ in case from the one asked for.
std::string StoredName(HKEY key, const std::string &name) {
    for (const auto &stored : registry::EnumerateNames(key, false))
        if (registry::SameName(stored, name))
            return stored;
    return name;
}

LONG QueryKey(HKEY key, const std::string &display, bool recursive, std::ostream &out) {
    out << "\n" << display << "\n";
    for (const auto &name : registry::EnumerateNames(key, false)) {
        DWORD type = REG_NONE;
        LONG status = ERROR_SUCCESS;
        const auto data = ReadData(key, name, type, status);
        if (status != ERROR_SUCCESS)
            return status;
        PrintValue(out, name, type, data);
    }
    for (const auto &child : registry::EnumerateNames(key, true)) {
        if (!recursive) {
            out << "\n" << display << "\\" << child;
            continue;
        }
        Key opened;
        if (const LONG status = RegOpenKeyExA(key, child.c_str(), 0, KEY_READ, opened.out());
            status != ERROR_SUCCESS)
            return status;
        if (const LONG status = QueryKey(opened.get(), display + "\\" + child, true, out);
            status != ERROR_SUCCESS)
            return status;
    }
    if (!recursive)
        out << "\n";
    return ERROR_SUCCESS;
}

int Query(const Options &options, std::ostream &out, std::ostream &err) {
    const auto target = KeyArgument(options, 1, err);
    if (!target)
        return 2;
    Key key;
    if (const LONG status =
            RegOpenKeyExA(target->path.root, target->path.subKey.c_str(), 0, KEY_READ, key.out());
        status != ERROR_SUCCESS)
        return Failure(err, status);
    if (options.value || options.defaultValue) {
        const std::string name = options.value.value_or("");
        DWORD type = REG_NONE;
        LONG status = ERROR_SUCCESS;
        const auto data = ReadData(key.get(), name, type, status);
        if (status != ERROR_SUCCESS)
            return Failure(err, status);
        out << "\n" << target->display << "\n";
        PrintValue(out, StoredName(key.get(), name), type, data);
        out << "\n";
        return 0;
    }
    const LONG status = QueryKey(key.get(), target->display, options.recursive, out);
    return status == ERROR_SUCCESS ? 0 : Failure(err, status);
}

int Add(const Options &options, std::ostream &out, std::ostream &err) {
    const auto target = KeyArgument(options, 1, err);
    if (!target)
        return 2;
    if (target->path.subKey.empty())
        return Usage(err, "a value cannot be added to a root key");
    const bool setsValue = options.value || options.defaultValue;
    if (!setsValue && (options.type || options.data))
        return Usage(err, "/t and /d need /v or /ve");
    const auto type = cli::ParseTypeName(options.type.value_or("REG_SZ"));
    if (!type)
        return Usage(err, "invalid type '" + *options.type + "'");
    const auto data = cli::ParseData(*type, options.data.value_or(""), options.separator);
    if (!data)
        return Usage(err, "invalid data '" + options.data.value_or("") + "' for " +
                              cli::TypeName(*type));
    Key key;
    if (const LONG status =
            RegCreateKeyExA(target->path.root, target->path.subKey.c_str(), 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, key.out(), nullptr);
        status != ERROR_SUCCESS)
        return Failure(err, status);
    if (setsValue) {
        const std::string name = options.value.value_or("");
        if (!options.force && RegQueryValueExA(key.get(), name.c_str(), nullptr, nullptr, nullptr,
                                               nullptr) == ERROR_SUCCESS) {
            err << "ERROR: the value exists; add /f to overwrite it\n";
            return 1;
        }
        if (const LONG status = RegSetValueExA(key.get(), name.c_str(), 0, *type, data->data(),
                                               DWORD(data->size()));
            status != ERROR_SUCCESS)
            return Failure(err, status);
    }
    out << "The operation completed successfully.\n";
    return 0;
}

int Delete(const Options &options, std::ostream &out, std::ostream &err) {
    const auto target = KeyArgument(options, 1, err);
    if (!target)
        return 2;
    if (!options.force)
        return Usage(err, "delete needs /f to confirm");
    LONG status = ERROR_SUCCESS;
    if (options.value || options.defaultValue || options.allValues) {
        Key key;
        status = RegOpenKeyExA(target->path.root, target->path.subKey.c_str(), 0, KEY_ALL_ACCESS,
                               key.out());
        if (status == ERROR_SUCCESS && options.allValues) {
            for (const auto &name : registry::EnumerateNames(key.get(), false))
                if ((status = RegDeleteValueA(key.get(), name.c_str())) != ERROR_SUCCESS)
                    break;
        } else if (status == ERROR_SUCCESS) {
            status = RegDeleteValueA(key.get(), options.value.value_or("").c_str());
        }
    } else {
        if (target->path.subKey.empty())
            return Usage(err, "a root key cannot be deleted");
        status = RegDeleteTreeA(target->path.root, target->path.subKey.c_str());
    }
    if (status != ERROR_SUCCESS)
        return Failure(err, status);
    out << "The operation completed successfully.\n";
    return 0;
}

int Import(const Options &options, std::ostream &out, std::ostream &err) {
    if (options.names.size() != 1)
        return Usage(err, "import needs one FILE");
    std::string error;
    if (!registry::ImportRegFile(options.names[0], error)) {
        err << "ERROR: " << error << "\n";
        return 1;
    }
    out << "The operation completed successfully.\n";
    return 0;
}

int Export(const Options &options, std::ostream &out, std::ostream &err) {
    if (options.names.size() != 2)
        return Usage(err, "export needs KEY and FILE");
    std::error_code ignored;
    if (!options.overwriteFile && std::filesystem::exists(options.names[1], ignored)) {
        err << "ERROR: " << options.names[1] << " exists; add /y to overwrite it\n";
        return 1;
    }
    std::string error;
    if (!registry::ExportRegFile(options.names[0], options.names[1], error)) {
        err << "ERROR: " << error << "\n";
        return 1;
    }
    out << "The operation completed successfully.\n";
    return 0;
}

int MachineReadOnly(const Options &options, std::ostream &out, std::ostream &err) {
    const std::string mode = options.names.size() == 1 ? options.names[0] : "";
    if (mode != "on" && mode != "off" && mode != "status")
        return Usage(err, "machine-readonly needs on, off or status");
    if (mode != "status" && !SetMachineStoreReadOnly(mode == "on")) {
        err << "ERROR: cannot change " << registry::MachineReadOnlyMarkerPath().string() << "\n";
        return 1;
    }
    out << (IsMachineStoreReadOnly() ? "on" : "off") << "\n";
    return 0;
}

} // namespace

int RegCommand(const std::vector<std::string> &args, std::ostream &out, std::ostream &err) {
    if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "/?") {
        (args.empty() ? err : out) << Help;
        return args.empty() ? 2 : 0;
    }
    using Operation = int (*)(const Options &, std::ostream &, std::ostream &);
    static const std::map<std::string, Operation> Operations{
        {"query", Query},   {"add", Add},       {"delete", Delete},
        {"import", Import}, {"export", Export}, {"machine-readonly", MachineReadOnly},
    };
    const auto operation = Operations.find(args[0]);
    if (operation == Operations.end())
        return Usage(err, "unknown operation '" + args[0] + "'");
    const auto options = ParseOptions(args, err);
    if (!options)
        return 2;
    return operation->second(*options, out, err);
}
