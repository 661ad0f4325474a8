#include "platform/urlmon/StringEnumerator.h"

#include "platform/com/ComObject.h"
#include "platform/urlmon/WideText.h"

#include <memory>

namespace urlmon {
namespace {

class StringEnumerator final : public ComObject<IEnumString> {
public:
    StringEnumerator(std::shared_ptr<const std::vector<std::u16string>> strings, std::size_t next)
        : m_strings(std::move(strings)), m_next(next) {}

    HRESULT Next(ULONG count, LPOLESTR *strings, ULONG *fetched) override {
        if (!strings || (count > 1 && !fetched))
            return E_INVALIDARG;
        ULONG given = 0;
        for (; given < count && m_next < m_strings->size(); ++given, ++m_next) {
            strings[given] = CoTaskMemString((*m_strings)[m_next]);
            if (!strings[given]) {
                while (given > 0)
                    CoTaskMemFree(strings[--given]);
                return E_OUTOFMEMORY;
            }
        }
        if (fetched)
            *fetched = given;
        return given == count ? S_OK : S_FALSE;
    }
    HRESULT Skip(ULONG count) override {
        const std::size_t left = m_strings->size() - m_next;
        m_next += std::min<std::size_t>(count, left);
        return count <= left ? S_OK : S_FALSE;
    }
    HRESULT Reset() override {
        m_next = 0;
        return S_OK;
    }
    HRESULT Clone(IEnumString **clone) override {
        if (!clone)
            return E_INVALIDARG;
        *clone = MakeComObject<StringEnumerator>(m_strings, m_next).Detach();
        return S_OK;
    }

private:
    std::shared_ptr<const std::vector<std::u16string>> m_strings;
    std::size_t m_next = 0;
};

} // namespace

ComPtr<IEnumString> CreateStringEnumerator(std::vector<std::u16string> strings) {
    return ComPtr<IEnumString>(
        MakeComObject<StringEnumerator>(
            std::make_shared<const std::vector<std::u16string>>(std::move(strings)), 0)
            .Get());
}

} // namespace urlmon
