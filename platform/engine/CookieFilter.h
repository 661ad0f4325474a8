#pragma once
// Cookies by the current document's rules. The engine calls the cookie filter on its network
// thread, where the host's security manager must not be called; the decisions are taken on the
// GUI thread when a document is accepted and only read here.

#include "platform/engine/ContentRules.h"

#include <atomic>
#include <memory>

class QWebEngineCookieStore;

namespace engine {

class CookieFilter final {
public:
    explicit CookieFilter(QWebEngineCookieStore *store);
    ~CookieFilter();
    CookieFilter(const CookieFilter &) = delete;
    CookieFilter &operator=(const CookieFilter &) = delete;

    void Apply(const DocumentRules &rules);

private:
    struct State {
        std::atomic<bool> firstParty{true};
        std::atomic<bool> thirdParty{true};
    };
    QWebEngineCookieStore *m_store = nullptr;
    std::shared_ptr<State> m_state = std::make_shared<State>();
};

} // namespace engine
