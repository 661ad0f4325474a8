#include "platform/registry/Registry.h"

#include "platform/registry/Handles.h"
#include "platform/registry/KeyResolver.h"
#include "platform/registry/MachineStore.h"
#include "platform/registry/ValueData.h"

#include <algorithm>
#include <cstring>
#include <set>

using namespace registry;

namespace {

bool Allows(const KeyRef &ref, REGSAM rights) {
    return (ref.access & rights) == rights;
}

// A key whose writes would reach a read-only machine store cannot be opened for writing.
bool WritesDenied(const std::vector<KeyPart> &parts, REGSAM access) {
    if ((access & WriteRights) == 0 || parts.empty() || parts.front().store != StoreKind::Machine)
        return false;
    return IsMachineStoreReadOnly();
}

LONG OpenResolved(const KeyRef &parent, const std::vector<std::string> &sub,
                  const std::vector<KeyPart> &parts, REGSAM access, PHKEY result) {
    if (WritesDenied(parts, access))
        return ERROR_ACCESS_DENIED;
    KeyRef ref = parent;
    ref.access = access;
    if (ref.kind == KeyRef::Kind::Store)
        ref.id = parts.front().id;
    else
        ref.classesPath.insert(ref.classesPath.end(), sub.begin(), sub.end());
    *result = RegisterKey(std::move(ref));
    return ERROR_SUCCESS;
}

// Reads the parts behind a handle; what a call may do with them is checked by the caller.
LONG ReadParts(Session &session, HKEY key, REGSAM rights, std::vector<KeyPart> &parts,
               const std::vector<std::string> &sub = {}) {
    const auto ref = LookupKey(key);
    if (!ref)
        return ERROR_INVALID_HANDLE;
    if (!Allows(*ref, rights))
        return ERROR_ACCESS_DENIED;
    return ResolveParts(session, *ref, sub, parts);
}

// The store key a write through ref (followed by sub) goes to, found in a write session.
// For the classes view: the user's key when it exists, else the machine's.
LONG WriteTarget(const KeyRef &ref, const std::vector<std::string> &sub, Session &writer,
                 Store *&store, std::int64_t &id) {
    std::vector<KeyPart> parts;
    if (ref.kind == KeyRef::Kind::Classes) {
        Session reader(Store::Mode::Read);
        if (const LONG status = ResolveParts(reader, ref, sub, parts); status != ERROR_SUCCESS)
            return status;
        if (parts.empty())
            return ERROR_FILE_NOT_FOUND;
    }
    const StoreKind kind = ref.kind == KeyRef::Kind::Store ? ref.store : parts.front().store;
    if (const LONG status = writer.Get(kind, store); status != ERROR_SUCCESS)
        return status;
    std::optional<std::int64_t> found;
    if (ref.kind == KeyRef::Kind::Store) {
        bool exists = false;
        if (const LONG status = store->KeyExists(ref.id, exists); status != ERROR_SUCCESS)
            return status;
        if (!exists)
            return ERROR_KEY_DELETED;
        if (const LONG status = Walk(*store, ref.id, sub, found); status != ERROR_SUCCESS)
            return status;
    } else {
        auto path = ClassesStorePath(ref.classesPath);
        path.insert(path.end(), sub.begin(), sub.end());
        if (const LONG status = Walk(*store, RootKeyId, path, found); status != ERROR_SUCCESS)
            return status;
    }
    if (!found)
        return sub.empty() ? ERROR_KEY_DELETED : ERROR_FILE_NOT_FOUND;
    id = *found;
    return ERROR_SUCCESS;
}

// Values of the parts merged by name, the first part's value winning.
LONG MergedValues(Session &session, const std::vector<KeyPart> &parts,
                  std::vector<StoredValue> &values) {
    values.clear();
    std::set<std::string> seen;
    for (const auto &part : parts) {
        Store *store = nullptr;
        std::vector<StoredValue> own;
        if (const LONG status = session.Get(part.store, store); status != ERROR_SUCCESS)
            return status;
        if (const LONG status = store->Values(part.id, own); status != ERROR_SUCCESS)
            return status;
        for (auto &value : own)
            if (seen.insert(FoldName(value.name)).second)
                values.push_back(std::move(value));
    }
    return ERROR_SUCCESS;
}

// Sub-key names of the parts merged without duplicates, in case-insensitive order.
LONG MergedKeyNames(Session &session, const std::vector<KeyPart> &parts,
                    std::vector<std::string> &names) {
    std::vector<std::pair<std::string, std::string>> merged; // folded, name
    std::set<std::string> seen;
    for (const auto &part : parts) {
        Store *store = nullptr;
        std::vector<std::string> own;
        if (const LONG status = session.Get(part.store, store); status != ERROR_SUCCESS)
            return status;
        if (const LONG status = store->ChildNames(part.id, own); status != ERROR_SUCCESS)
            return status;
        for (auto &name : own)
            if (auto folded = FoldName(name); seen.insert(folded).second)
                merged.emplace_back(std::move(folded), std::move(name));
    }
    std::sort(merged.begin(), merged.end());
    names.clear();
    for (auto &entry : merged)
        names.push_back(std::move(entry.second));
    return ERROR_SUCCESS;
}

LONG CopyName(const std::string &name, LPSTR buffer, DWORD *chars) {
    if (buffer == nullptr || chars == nullptr)
        return ERROR_INVALID_PARAMETER;
    if (*chars <= name.size())
        return ERROR_MORE_DATA;
    std::memcpy(buffer, name.c_str(), name.size() + 1);
    *chars = static_cast<DWORD>(name.size());
    return ERROR_SUCCESS;
}

LONG DeleteKeyCommon(HKEY key, LPCSTR subKey, bool tree) {
    const auto ref = LookupKey(key);
    if (!ref)
        return ERROR_INVALID_HANDLE;
    const auto sub = SplitKeyPath(subKey);
    if (sub.empty() && tree && !Allows(*ref, KEY_SET_VALUE))
        return ERROR_ACCESS_DENIED;
    Session writer(Store::Mode::Write);
    Store *store = nullptr;
    std::int64_t id = RootKeyId;
    if (const LONG status = WriteTarget(*ref, sub, writer, store, id); status != ERROR_SUCCESS)
        return status;
    if (!tree) {
        if (id == RootKeyId)
            return ERROR_ACCESS_DENIED;
        std::vector<std::string> children;
        if (const LONG status = store->ChildNames(id, children); status != ERROR_SUCCESS)
            return status;
        if (!children.empty())
            return ERROR_ACCESS_DENIED;
    }
    const bool withSelf = !tree || !sub.empty();
    if (const LONG status = store->DeleteTree(id, withSelf); status != ERROR_SUCCESS)
        return status;
    return writer.Commit();
}

} // namespace

LSTATUS RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD, REGSAM access, PHKEY result) {
    if (result == nullptr)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    const auto ref = LookupKey(key);
    if (!ref)
        return ERROR_INVALID_HANDLE;
    const auto sub = SplitKeyPath(subKey);
    std::vector<KeyPart> parts;
    if (const LONG status = ReadConsistently(
            [&](Session &reader) { return ResolveParts(reader, *ref, sub, parts); });
        status != ERROR_SUCCESS)
        return status;
    if (parts.empty() &&
        !(ref->kind == KeyRef::Kind::Classes && ref->classesPath.empty() && sub.empty()))
        return ERROR_FILE_NOT_FOUND;
    return OpenResolved(*ref, sub, parts, access, result);
}

LSTATUS RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD, LPSTR, DWORD, REGSAM access, void *,
                        PHKEY result, DWORD *disposition) {
    if (result == nullptr)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    const auto ref = LookupKey(key);
    if (!ref)
        return ERROR_INVALID_HANDLE;
    const auto sub = SplitKeyPath(subKey);
    {
        std::vector<KeyPart> parts;
        if (const LONG status = ReadConsistently(
                [&](Session &reader) { return ResolveParts(reader, *ref, sub, parts); });
            status != ERROR_SUCCESS)
            return status;
        if (!parts.empty() ||
            (ref->kind == KeyRef::Kind::Classes && ref->classesPath.empty() && sub.empty())) {
            if (disposition)
                *disposition = REG_OPENED_EXISTING_KEY;
            return OpenResolved(*ref, sub, parts, access, result);
        }
    }
    if (!Allows(*ref, KEY_CREATE_SUB_KEY))
        return ERROR_ACCESS_DENIED;
    // New keys made through the classes view go to the machine's Software\Classes.
    const StoreKind kind = ref->kind == KeyRef::Kind::Store ? ref->store : StoreKind::Machine;
    Session writer(Store::Mode::Write);
    Store *store = nullptr;
    if (const LONG status = writer.Get(kind, store); status != ERROR_SUCCESS)
        return status;
    std::int64_t start = RootKeyId;
    auto path = sub;
    if (ref->kind == KeyRef::Kind::Store) {
        bool exists = false;
        if (const LONG status = store->KeyExists(ref->id, exists); status != ERROR_SUCCESS)
            return status;
        if (!exists)
            return ERROR_KEY_DELETED;
        start = ref->id;
    } else {
        path = ClassesStorePath(ref->classesPath);
        path.insert(path.end(), sub.begin(), sub.end());
    }
    std::int64_t id = RootKeyId;
    bool created = false;
    if (const LONG status = WalkCreate(*store, start, path, id, created); status != ERROR_SUCCESS)
        return status;
    if (const LONG status = writer.Commit(); status != ERROR_SUCCESS)
        return status;
    if (disposition)
        *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    return OpenResolved(*ref, sub, {KeyPart{kind, id}}, access, result);
}

LSTATUS RegCloseKey(HKEY key) {
    if (IsPredefinedKey(key))
        return ERROR_SUCCESS;
    return UnregisterKey(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LSTATUS RegQueryValueExA(HKEY key, LPCSTR valueName, DWORD *, DWORD *type, BYTE *data,
                         DWORD *dataSize) {
    if (data != nullptr && dataSize == nullptr)
        return ERROR_INVALID_PARAMETER;
    const std::string_view name = valueName ? valueName : "";
    std::optional<StoredValue> value;
    const LONG result = ReadConsistently([&](Session &reader) {
        std::vector<KeyPart> parts;
        value.reset();
        if (const LONG status = ReadParts(reader, key, KEY_QUERY_VALUE, parts);
            status != ERROR_SUCCESS)
            return status;
        for (const auto &part : parts) {
            Store *store = nullptr;
            if (const LONG status = reader.Get(part.store, store); status != ERROR_SUCCESS)
                return status;
            if (const LONG status = store->FindValue(part.id, name, value);
                status != ERROR_SUCCESS || value)
                return status;
        }
        return LONG(ERROR_FILE_NOT_FOUND);
    });
    return result == ERROR_SUCCESS ? CopyValueData(*value, type, data, dataSize) : result;
}

LSTATUS RegSetValueExA(HKEY key, LPCSTR valueName, DWORD, DWORD type, const BYTE *data,
                       DWORD dataSize) {
    const auto ref = LookupKey(key);
    if (!ref)
        return ERROR_INVALID_HANDLE;
    if (!Allows(*ref, KEY_SET_VALUE))
        return ERROR_ACCESS_DENIED;
    std::vector<std::uint8_t> bytes;
    if (const LONG status = NormaliseValueData(type, data, dataSize, bytes);
        status != ERROR_SUCCESS)
        return status;
    Session writer(Store::Mode::Write);
    Store *store = nullptr;
    std::int64_t id = RootKeyId;
    if (const LONG status = WriteTarget(*ref, {}, writer, store, id); status != ERROR_SUCCESS)
        return status;
    if (const LONG status = store->SetValue(id, valueName ? valueName : "", type, bytes);
        status != ERROR_SUCCESS)
        return status;
    return writer.Commit();
}

LSTATUS RegDeleteValueA(HKEY key, LPCSTR valueName) {
    const auto ref = LookupKey(key);
    if (!ref)
        return ERROR_INVALID_HANDLE;
    if (!Allows(*ref, KEY_SET_VALUE))
        return ERROR_ACCESS_DENIED;
    Session writer(Store::Mode::Write);
    Store *store = nullptr;
    std::int64_t id = RootKeyId;
    if (const LONG status = WriteTarget(*ref, {}, writer, store, id); status != ERROR_SUCCESS)
        return status;
    bool found = false;
    if (const LONG status = store->DeleteValue(id, valueName ? valueName : "", found);
        status != ERROR_SUCCESS)
        return status;
    if (!found)
        return ERROR_FILE_NOT_FOUND;
    return writer.Commit();
}

LSTATUS RegDeleteKeyA(HKEY key, LPCSTR subKey) {
    if (subKey == nullptr)
        return ERROR_INVALID_PARAMETER;
    return DeleteKeyCommon(key, subKey, false);
}

LSTATUS RegDeleteTreeA(HKEY key, LPCSTR subKey) {
    return DeleteKeyCommon(key, subKey, true);
}

LSTATUS RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, DWORD *nameChars, DWORD *, LPSTR keyClass,
                      DWORD *classChars, FILETIME *lastWrite) {
    std::vector<std::string> names;
    if (const LONG status = ReadConsistently([&](Session &reader) {
            std::vector<KeyPart> parts;
            const LONG read = ReadParts(reader, key, KEY_ENUMERATE_SUB_KEYS, parts);
            return read == ERROR_SUCCESS ? MergedKeyNames(reader, parts, names) : read;
        });
        status != ERROR_SUCCESS)
        return status;
    if (index >= names.size())
        return ERROR_NO_MORE_ITEMS;
    if (const LONG status = CopyName(names[index], name, nameChars); status != ERROR_SUCCESS)
        return status;
    if (keyClass && classChars && *classChars > 0)
        keyClass[0] = '\0';
    if (classChars)
        *classChars = 0;
    if (lastWrite)
        *lastWrite = FILETIME{};
    return ERROR_SUCCESS;
}

LSTATUS RegEnumValueA(HKEY key, DWORD index, LPSTR valueName, DWORD *valueNameChars, DWORD *,
                      DWORD *type, BYTE *data, DWORD *dataSize) {
    if (data != nullptr && dataSize == nullptr)
        return ERROR_INVALID_PARAMETER;
    std::vector<StoredValue> values;
    if (const LONG status = ReadConsistently([&](Session &reader) {
            std::vector<KeyPart> parts;
            const LONG read = ReadParts(reader, key, KEY_QUERY_VALUE, parts);
            return read == ERROR_SUCCESS ? MergedValues(reader, parts, values) : read;
        });
        status != ERROR_SUCCESS)
        return status;
    if (index >= values.size())
        return ERROR_NO_MORE_ITEMS;
    const auto &value = values[index];
    if (const LONG status = CopyName(value.name, valueName, valueNameChars);
        status != ERROR_SUCCESS)
        return status;
    return CopyValueData(value, type, data, dataSize);
}

LSTATUS RegQueryInfoKeyA(HKEY key, LPSTR keyClass, DWORD *classChars, DWORD *, DWORD *subKeys,
                         DWORD *maxSubKeyLen, DWORD *maxClassLen, DWORD *values,
                         DWORD *maxValueNameLen, DWORD *maxValueLen, DWORD *securityDescriptor,
                         FILETIME *lastWrite) {
    std::vector<std::string> names;
    std::vector<StoredValue> stored;
    if (const LONG status = ReadConsistently([&](Session &reader) {
            std::vector<KeyPart> parts;
            LONG read = ReadParts(reader, key, KEY_QUERY_VALUE, parts);
            if (read == ERROR_SUCCESS)
                read = MergedKeyNames(reader, parts, names);
            return read == ERROR_SUCCESS ? MergedValues(reader, parts, stored) : read;
        });
        status != ERROR_SUCCESS)
        return status;
    const auto set = [](DWORD *out, std::size_t value) {
        if (out)
            *out = static_cast<DWORD>(value);
    };
    std::size_t longestKey = 0, longestName = 0, longestData = 0;
    for (const auto &name : names)
        longestKey = std::max(longestKey, name.size());
    for (const auto &value : stored) {
        longestName = std::max(longestName, value.name.size());
        longestData = std::max(longestData, value.data.size());
    }
    if (keyClass && classChars && *classChars > 0)
        keyClass[0] = '\0';
    set(classChars, 0);
    set(subKeys, names.size());
    set(maxSubKeyLen, longestKey);
    set(maxClassLen, 0);
    set(values, stored.size());
    set(maxValueNameLen, longestName);
    set(maxValueLen, longestData);
    set(securityDescriptor, 0);
    if (lastWrite)
        *lastWrite = FILETIME{};
    return ERROR_SUCCESS;
}

LSTATUS RegOverridePredefKey(HKEY key, HKEY newKey) {
    if (!IsPredefinedKey(key))
        return ERROR_INVALID_HANDLE;
    if (newKey == nullptr) {
        OverridePredefinedKey(key, std::nullopt);
        return ERROR_SUCCESS;
    }
    if (IsPredefinedKey(newKey))
        return ERROR_INVALID_HANDLE;
    auto ref = LookupKey(newKey);
    if (!ref)
        return ERROR_INVALID_HANDLE;
    OverridePredefinedKey(key, std::move(ref));
    return ERROR_SUCCESS;
}
