#pragma once
// Request interception for the control's page. Installed on the page (not the profile), it is
// called on the GUI thread before a request leaves the process, for every resource of the page
// and its frames. The decision itself is ContentRules' CheckRequest.

#include "platform/engine/ContentRules.h"

#include <QWebEngineUrlRequestInterceptor>

#include <functional>

namespace engine {

class RequestInterceptor final : public QWebEngineUrlRequestInterceptor {
    Q_OBJECT
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;

    // Returns the block for a request, or nullopt to let it through.
    std::function<std::optional<Block>(const Request &request)> Decide;
    // Told of every blocked request.
    std::function<void(const Request &request, Block block)> OnBlocked;

    void interceptRequest(QWebEngineUrlRequestInfo &info) override;
};

RequestKind KindOf(QWebEngineUrlRequestInfo::ResourceType type);

} // namespace engine
