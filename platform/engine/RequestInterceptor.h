#pragma once
// Request interception for the control. Installed on the control's own profile, it is called on
// the GUI thread before a request leaves the process, for every resource of the page and its
// frames and for the requests of workers, which have no frame (service and shared workers, and
// downloads the engine resumes by itself). The decision itself is ContentRules' CheckRequest.

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
