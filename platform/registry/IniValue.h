#pragma once
// A value of a registry ini file named once: its section, its name and the default that a read
// gives when the value is missing or unreadable. It is read and written only as its type (bool,
// int or std::string), through the ini file's typed functions.

#include "platform/registry/RegistryObjects.h"

#include <string>
#include <type_traits>

template <typename T> struct TIniValue {
    static_assert(std::is_same_v<T, bool> || std::is_same_v<T, int> ||
                  std::is_same_v<T, std::string>);

    const char *Section;
    const char *Ident;
    T Default;

    T Read(TRegistryIniFile &file) const {
        if constexpr (std::is_same_v<T, bool>)
            return file.ReadBool(Section, Ident, Default);
        else if constexpr (std::is_same_v<T, int>)
            return file.ReadInteger(Section, Ident, Default);
        else
            return file.ReadString(Section, Ident, Default);
    }
    // Raises ERegistryException when the write fails.
    void Write(TRegistryIniFile &file, const T &value) const {
        if constexpr (std::is_same_v<T, bool>)
            file.WriteBool(Section, Ident, value);
        else if constexpr (std::is_same_v<T, int>)
            file.WriteInteger(Section, Ident, value);
        else
            file.WriteString(Section, Ident, value);
    }
};
