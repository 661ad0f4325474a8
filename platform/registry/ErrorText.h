#pragma once
// Readable text of the Win32 error codes the registry returns.

#include "platform/kernel/Win32.h"

#include <string>

namespace registry {

std::string ErrorText(LONG code);

} // namespace registry
