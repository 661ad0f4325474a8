#pragma once
// The ambient properties the control takes from its host's IDispatch (property gets by DISPID).

#include "platform/com/Dispatch.h"
#include "platform/engine/EngineConstants.h"

#include <QString>

namespace engine {

struct AmbientProperties {
    QString userAgent; // empty: the engine's own
    DWORD downloadControl = DLCTL_DEFAULT;
    bool offlineIfNotConnected = false;
};

// Reads dispid from host into properties. A host without the property, or one that answers
// with a value of the wrong type, leaves the current value; returns whether the value was taken.
bool ReadAmbientProperty(IDispatch *host, DISPID dispid, AmbientProperties &properties);

// Reads all three.
AmbientProperties ReadAmbientProperties(IDispatch *host);

} // namespace engine
