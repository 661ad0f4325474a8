#pragma once
// The registry object and the registry ini-file object the program uses.
// Reads never fail visibly (defaults apply); writes raise ERegistryException.

#include "platform/registry/Registry.h"

#include <stdexcept>
#include <string>
#include <vector>

class ERegistryException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

struct TRegDataInfo {
    TRegDataType RegData = TRegDataType::rdUnknown;
    DWORD DataSize = 0;
};

// A registry object: one root key and at most one open current key.
class TRegistry {
public:
    explicit TRegistry(REGSAM access = KEY_ALL_ACCESS);
    ~TRegistry();
    TRegistry(const TRegistry &) = delete;
    TRegistry &operator=(const TRegistry &) = delete;

    HKEY RootKey() const;
    void SetRootKey(HKEY root); // closes the current key
    REGSAM Access() const;
    void SetAccess(REGSAM access);
    HKEY CurrentKey() const; // null when no key is open
    const std::string &CurrentPath() const;

    // key is relative to the current key, or to the root when it begins with "\" or no key is
    // open. On success the opened key becomes the current key.
    bool OpenKey(const std::string &key, bool canCreate);
    bool OpenKeyReadOnly(const std::string &key); // KEY_READ
    bool CreateKey(const std::string &key);       // creates without opening; raises on failure
    void CloseKey();
    bool KeyExists(const std::string &key);
    bool DeleteKey(const std::string &key); // with all its sub-keys and values
    bool HasSubKeys();
    std::vector<std::string> GetKeyNames();
    std::vector<std::string> GetValueNames();
    bool ValueExists(const std::string &name);
    bool DeleteValue(const std::string &name);
    bool GetDataInfo(const std::string &name, TRegDataInfo &info);
    TRegDataType GetDataType(const std::string &name);
    int GetDataSize(const std::string &name); // -1 when absent

    // Readers raise ERegistryException for a value of the wrong type, as the original object
    // does; a missing value reads as empty / raises for integers (callers test ValueExists).
    std::string ReadString(const std::string &name);
    std::string ReadExpandString(const std::string &name);
    int ReadInteger(const std::string &name);
    bool ReadBool(const std::string &name);
    std::vector<BYTE> ReadBinaryData(const std::string &name);
    void WriteString(const std::string &name, const std::string &value);
    void WriteExpandString(const std::string &name, const std::string &value);
    void WriteInteger(const std::string &name, int value);
    void WriteBool(const std::string &name, bool value);
    void WriteBinaryData(const std::string &name, const std::vector<BYTE> &data);

    // "HKEY_CURRENT_USER\\<current path>", for messages.
    std::string KeyDescription() const;

private:
    HKEY BaseKey(bool relative) const;
    HKEY ValueKey() const; // the current key; without one, value calls fail as on a null key
    void ChangeKey(HKEY key, const std::string &path);
    HKEY OpenRaw(const std::string &key, REGSAM access) const;
    void PutData(const std::string &name, DWORD type, const BYTE *data, DWORD size);
    [[noreturn]] void ReadError(const std::string &name) const;

    HKEY FRootKey = HKEY_CURRENT_USER;
    HKEY FCurrentKey = nullptr;
    std::string FCurrentPath;
    REGSAM FAccess = KEY_ALL_ACCESS;
};

// Ini-file view of a key under HKEY_CURRENT_USER: sections are sub-keys, names are values.
// Opening creates the key when absent. Booleans are stored as "0"/"1" strings; integers as
// REG_DWORD unless the value already exists as a string. When the key cannot be opened, reads
// give their defaults and writes raise (nothing is written anywhere else).
class TRegistryIniFile {
public:
    TRegistryIniFile(const std::string &fileName, REGSAM access = KEY_ALL_ACCESS);
    ~TRegistryIniFile();
    TRegistryIniFile(const TRegistryIniFile &) = delete;
    TRegistryIniFile &operator=(const TRegistryIniFile &) = delete;

    const std::string &FileName() const;
    TRegistry &RegIniFile(); // the underlying registry object

    std::string ReadString(const std::string &section, const std::string &ident,
                           const std::string &defaultValue);
    int ReadInteger(const std::string &section, const std::string &ident, int defaultValue);
    bool ReadBool(const std::string &section, const std::string &ident, bool defaultValue);
    void WriteString(const std::string &section, const std::string &ident,
                     const std::string &value);
    void WriteInteger(const std::string &section, const std::string &ident, int value);
    void WriteBool(const std::string &section, const std::string &ident, bool value);

    bool SectionExists(const std::string &section);
    bool ValueExists(const std::string &section, const std::string &ident);
    std::vector<std::string> ReadSection(const std::string &section); // value names
    std::vector<std::string> ReadSections();                          // sub-key names
    void DeleteKey(const std::string &section, const std::string &ident);
    void EraseSection(const std::string &section);

private:
    std::string FFileName;
    TRegistry FRegistry;
};
