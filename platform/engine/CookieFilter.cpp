#include "platform/engine/CookieFilter.h"

#include <QWebEngineCookieStore>

namespace engine {

CookieFilter::CookieFilter(QWebEngineCookieStore *store) : m_store(store) {
    // The filter keeps its own reference: it may run on the network thread while the control
    // is being destroyed.
    m_store->setCookieFilter(
        [state = m_state](const QWebEngineCookieStore::FilterRequest &request) {
            return request.thirdParty ? state->thirdParty.load() : state->firstParty.load();
        });
}

CookieFilter::~CookieFilter() {
    m_store->setCookieFilter(nullptr);
}

void CookieFilter::Apply(const DocumentRules &rules) {
    m_state->firstParty = rules.cookies;
    m_state->thirdParty = rules.thirdPartyCookies;
}

} // namespace engine
