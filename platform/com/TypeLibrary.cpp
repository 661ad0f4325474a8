#include "platform/com/TypeLibrary.h"

#include "platform/com/ComObject.h"

#include <algorithm>

namespace {

std::string Fold(std::string_view name) {
    std::string folded(name);
    for (char &c : folded) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return folded;
}

bool EqualsFolded(std::string_view a, std::string_view b) {
    return a.size() == b.size() && Fold(a) == Fold(b);
}

bool IsValidKind(WORD kind) {
    return kind == DISPATCH_METHOD || kind == DISPATCH_PROPERTYGET ||
           kind == DISPATCH_PROPERTYPUT || kind == DISPATCH_PROPERTYPUTREF;
}

bool IsPut(WORD kind) {
    return kind == DISPATCH_PROPERTYPUT || kind == DISPATCH_PROPERTYPUTREF;
}

class TypeInfoObject final : public ComObject<ITypeInfo> {
public:
    explicit TypeInfoObject(std::shared_ptr<const InterfaceInfo> info) : m_info(std::move(info)) {}

    HRESULT GetInterfaceInfo(const InterfaceInfo **info) override {
        if (!info)
            return E_POINTER;
        *info = m_info.get();
        return S_OK;
    }

private:
    std::shared_ptr<const InterfaceInfo> m_info;
};

} // namespace

InterfaceInfo::InterfaceInfo(std::string name, const IID &iid, std::string helpString)
    : m_name(std::move(name)), m_iid(iid), m_help(std::move(helpString)) {}

bool InterfaceInfo::Add(MemberInfo member) {
    if (!IsValidKind(member.kind) || member.name.empty())
        return false;
    const std::string folded = Fold(member.name);
    if (auto it = m_idByName.find(folded); it != m_idByName.end() && it->second != member.dispid)
        return false;
    if (auto it = m_indexById.find(member.dispid); it != m_indexById.end()) {
        for (std::size_t index : it->second) {
            const MemberInfo &other = m_members[index];
            if (other.kind == member.kind || !EqualsFolded(other.name, member.name) ||
                other.kind == DISPATCH_METHOD || member.kind == DISPATCH_METHOD)
                return false;
        }
    }
    m_idByName.emplace(folded, member.dispid);
    m_indexById[member.dispid].push_back(m_members.size());
    m_members.push_back(std::move(member));
    return true;
}

const MemberInfo *InterfaceInfo::FindByName(std::string_view name, WORD kind) const {
    const auto it = m_idByName.find(Fold(name));
    return it == m_idByName.end() ? nullptr : FindByDispid(it->second, kind);
}

const MemberInfo *InterfaceInfo::FindByDispid(DISPID id, WORD kind) const {
    const auto it = m_indexById.find(id);
    if (it == m_indexById.end())
        return nullptr;
    for (std::size_t index : it->second) {
        if (kind == 0 || m_members[index].kind == kind)
            return &m_members[index];
    }
    return nullptr;
}

HRESULT InterfaceInfo::GetIDsOfNames(const LPCSTR *names, UINT count, DISPID *ids) const {
    if (count == 0)
        return S_OK;
    if (!names || !ids)
        return E_POINTER;
    std::fill(ids, ids + count, DISPID_UNKNOWN);
    const MemberInfo *member = names[0] ? FindByName(names[0]) : nullptr;
    if (!member)
        return DISP_E_UNKNOWNNAME;
    ids[0] = member->dispid;
    HRESULT hr = S_OK;
    for (UINT i = 1; i < count; ++i) {
        const auto &params = member->params;
        const auto found = std::find_if(params.begin(), params.end(), [&](const ParamInfo &p) {
            return names[i] && EqualsFolded(p.name, names[i]);
        });
        if (found == params.end())
            hr = DISP_E_UNKNOWNNAME;
        else
            ids[i] = static_cast<DISPID>(found - params.begin());
    }
    return hr;
}

const MemberInfo *InterfaceInfo::FindForFlags(DISPID id, WORD flags) const {
    for (WORD kind : {DISPATCH_PROPERTYPUTREF, DISPATCH_PROPERTYPUT}) {
        if (flags & kind)
            return FindByDispid(id, kind);
    }
    if (flags & DISPATCH_METHOD) {
        if (const MemberInfo *method = FindByDispid(id, DISPATCH_METHOD))
            return method;
    }
    return (flags & DISPATCH_PROPERTYGET) ? FindByDispid(id, DISPATCH_PROPERTYGET) : nullptr;
}

HRESULT InterfaceInfo::CheckCall(DISPID id, WORD flags, const DISPPARAMS *params,
                                 const MemberInfo **member, UINT *argErr) const {
    if (!member)
        return E_POINTER;
    *member = nullptr;
    if (!IsWellFormed(params))
        return E_INVALIDARG;
    const MemberInfo *found = FindForFlags(id, flags);
    if (!found)
        return DISP_E_MEMBERNOTFOUND;

    const UINT total = params ? params->cArgs : 0;
    const UINT named = params ? params->cNamedArgs : 0;
    const std::size_t declared = found->params.size();
    if (total > declared)
        return DISP_E_BADPARAMCOUNT;
    const auto fail = [&](HRESULT hr, UINT index) {
        if (argErr)
            *argErr = index;
        return hr;
    };

    // Which parameter each argument fills; a put's value fills the last parameter.
    std::vector<UINT> argOfParam(declared, total); // total = not given
    const UINT positional = total - named;
    for (UINT p = 0; p < positional; ++p)
        argOfParam[p] = total - 1 - p;
    for (UINT i = 0; i < named; ++i) {
        const DISPID name = params->rgdispidNamedArgs[i];
        UINT position = 0;
        if (name == DISPID_PROPERTYPUT && IsPut(found->kind) && declared > 0)
            position = static_cast<UINT>(declared - 1);
        else if (name >= 0 && static_cast<std::size_t>(name) < declared)
            position = static_cast<UINT>(name);
        else
            return fail(DISP_E_PARAMNOTFOUND, i);
        if (argOfParam[position] != total)
            return fail(DISP_E_PARAMNOTFOUND, i); // given twice
        argOfParam[position] = i;
    }
    if (IsPut(found->kind) && (declared == 0 || argOfParam[declared - 1] == total ||
                               NamedArg(params, DISPID_PROPERTYPUT) == nullptr))
        return DISP_E_PARAMNOTFOUND;

    for (std::size_t p = 0; p < declared; ++p) {
        const ParamInfo &info = found->params[p];
        const UINT arg = argOfParam[p];
        if (arg == total) {
            if (!info.optional)
                return positional + named < declared ? DISP_E_BADPARAMCOUNT : DISP_E_PARAMNOTFOUND;
            continue;
        }
        if (info.out && params->rgvarg[arg].Type() != (VT_BYREF | VT_VARIANT))
            return fail(DISP_E_TYPEMISMATCH, arg);
    }
    *member = found;
    return S_OK;
}

TypeLibrary::TypeLibrary(std::string name, const GUID &libid, WORD majorVersion, WORD minorVersion,
                         std::string helpString)
    : m_name(std::move(name)), m_libid(libid), m_major(majorVersion), m_minor(minorVersion),
      m_help(std::move(helpString)) {}

bool TypeLibrary::Add(std::shared_ptr<const InterfaceInfo> info) {
    if (!info || Find(info->Name()) || Find(info->Iid()))
        return false;
    m_interfaces.push_back(std::move(info));
    return true;
}

std::shared_ptr<const InterfaceInfo> TypeLibrary::Find(std::string_view name) const {
    for (const auto &info : m_interfaces) {
        if (EqualsFolded(info->Name(), name))
            return info;
    }
    return nullptr;
}

std::shared_ptr<const InterfaceInfo> TypeLibrary::Find(const IID &iid) const {
    for (const auto &info : m_interfaces) {
        if (info->Iid() == iid)
            return info;
    }
    return nullptr;
}

ComPtr<ITypeInfo> MakeTypeInfo(std::shared_ptr<const InterfaceInfo> info) {
    if (!info)
        return nullptr;
    return MakeComObject<TypeInfoObject>(std::move(info));
}
