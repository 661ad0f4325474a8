#pragma once
// The dispatch objects that events carry as their first argument: one for the control's top-level
// browser, one for each sub-frame navigation, so that a host tells them apart by identity.

#include "platform/com/Dispatch.h"

namespace engine {

// Late-bound calls on these objects are not offered yet: each answers E_NOTIMPL and logs it.
ComPtr<IDispatch> MakeBrowserIdentity();

} // namespace engine
