#pragma once
// An IEnumString over a fixed list of strings.

#include "platform/urlmon/SecurityManager.h"

#include <string>
#include <vector>

namespace urlmon {

ComPtr<IEnumString> CreateStringEnumerator(std::vector<std::u16string> strings);

} // namespace urlmon
