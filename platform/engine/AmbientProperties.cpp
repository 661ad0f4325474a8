#include "platform/engine/AmbientProperties.h"

#include "platform/com/DispParams.h"

namespace engine {

bool ReadAmbientProperty(IDispatch *host, DISPID dispid, AmbientProperties &properties) {
    if (!host)
        return false;
    DISPPARAMS none;
    Variant value;
    if (host->Invoke(dispid, GUID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &value,
                     nullptr, nullptr) != S_OK)
        return false;
    switch (dispid) {
    case DISPID_AMBIENT_USERAGENT:
        if (value.Type() != VT_BSTR)
            return false;
        properties.userAgent = QString::fromStdString(*value.ToString());
        return true;
    case DISPID_AMBIENT_DLCONTROL:
        // The flag word arrives as VT_I4; its high bit (DLCTL_OFFLINEIFNOTCONNECTED) makes it
        // negative, so it is taken bit for bit.
        if (value.Type() == VT_I4)
            properties.downloadControl = static_cast<DWORD>(*value.ToI4());
        else if (value.Type() == VT_UI4)
            properties.downloadControl = *value.ToUI4();
        else
            return false;
        return true;
    case DISPID_AMBIENT_OFFLINEIFNOTCONNECTED:
        if (value.Type() != VT_BOOL)
            return false;
        properties.offlineIfNotConnected = *value.ToBool();
        return true;
    default:
        return false;
    }
}

AmbientProperties ReadAmbientProperties(IDispatch *host) {
    AmbientProperties properties;
    for (DISPID id :
         {DISPID_AMBIENT_USERAGENT, DISPID_AMBIENT_DLCONTROL, DISPID_AMBIENT_OFFLINEIFNOTCONNECTED})
        ReadAmbientProperty(host, id, properties);
    return properties;
}

} // namespace engine
