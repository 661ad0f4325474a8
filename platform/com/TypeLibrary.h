#pragma once
// The in-memory type library: interfaces with their members (names, DISPIDs, declaration order,
// method / property get / property put, parameters, help strings). Dispatchers use it to answer
// GetIDsOfNames and to check a call before running it; the automation layer derives the D-Bus
// introspection from the same table. Name lookups ignore ASCII letter case.

#include "platform/com/DispParams.h"

#include <memory>
#include <string_view>
#include <unordered_map>

struct ParamInfo {
    std::string name;
    VARTYPE type = VT_VARIANT;
    bool optional = false;
    bool out = false; // passed as VT_BYREF|VT_VARIANT
};

struct MemberInfo {
    std::string name;
    DISPID dispid = DISPID_UNKNOWN;
    WORD kind = DISPATCH_METHOD;   // DISPATCH_METHOD, _PROPERTYGET, _PROPERTYPUT or _PROPERTYPUTREF
    VARTYPE resultType = VT_EMPTY; // VT_EMPTY: no result
    std::vector<ParamInfo> params; // a property put's value is its last parameter
    std::string helpString;
};

class InterfaceInfo final {
public:
    InterfaceInfo(std::string name, const IID &iid, std::string helpString = {});
    InterfaceInfo(const InterfaceInfo &) = delete;
    InterfaceInfo &operator=(const InterfaceInfo &) = delete;

    // Appends a member. False (and nothing added) when its kind is not one of the four, its
    // name is empty, the name is already used with another DISPID, the DISPID is already used
    // by another name, the same DISPID and kind exist, or a method would share a DISPID with a
    // property.
    bool Add(MemberInfo member);

    const std::string &Name() const { return m_name; }
    const IID &Iid() const { return m_iid; }
    const std::string &HelpString() const { return m_help; }
    const std::vector<MemberInfo> &Members() const { return m_members; } // declaration order

    // kind 0: the first declared member of any kind.
    const MemberInfo *FindByName(std::string_view name, WORD kind = 0) const;
    const MemberInfo *FindByDispid(DISPID id, WORD kind = 0) const;

    // IDispatch::GetIDsOfNames over this table.
    HRESULT GetIDsOfNames(const LPCSTR *names, UINT count, DISPID *ids) const;

    // Checks a call before it is dispatched: the member exists for flags (METHOD|PROPERTYGET,
    // as script callers send it, finds either), the argument count fits, every required
    // parameter is given, named arguments name parameters, out parameters are references.
    // On success *member is the entry; on an argument fault *argErr is its index in rgvarg.
    HRESULT CheckCall(DISPID id, WORD flags, const DISPPARAMS *params, const MemberInfo **member,
                      UINT *argErr) const;

private:
    const MemberInfo *FindForFlags(DISPID id, WORD flags) const;

    std::string m_name;
    IID m_iid;
    std::string m_help;
    std::vector<MemberInfo> m_members;
    std::unordered_map<std::string, DISPID> m_idByName;               // folded name
    std::unordered_map<DISPID, std::vector<std::size_t>> m_indexById; // into m_members
};

class TypeLibrary final {
public:
    TypeLibrary(std::string name, const GUID &libid, WORD majorVersion, WORD minorVersion,
                std::string helpString = {});
    TypeLibrary(const TypeLibrary &) = delete;
    TypeLibrary &operator=(const TypeLibrary &) = delete;

    // False when an interface with the same name or IID is already present.
    bool Add(std::shared_ptr<const InterfaceInfo> info);

    const std::string &Name() const { return m_name; }
    const GUID &Libid() const { return m_libid; }
    WORD MajorVersion() const { return m_major; }
    WORD MinorVersion() const { return m_minor; }
    const std::string &HelpString() const { return m_help; }
    const std::vector<std::shared_ptr<const InterfaceInfo>> &Interfaces() const {
        return m_interfaces;
    }

    std::shared_ptr<const InterfaceInfo> Find(std::string_view name) const;
    std::shared_ptr<const InterfaceInfo> Find(const IID &iid) const;

private:
    std::string m_name;
    GUID m_libid;
    WORD m_major = 0;
    WORD m_minor = 0;
    std::string m_help;
    std::vector<std::shared_ptr<const InterfaceInfo>> m_interfaces;
};

// An ITypeInfo for IDispatch::GetTypeInfo; keeps the description alive.
ComPtr<ITypeInfo> MakeTypeInfo(std::shared_ptr<const InterfaceInfo> info);
