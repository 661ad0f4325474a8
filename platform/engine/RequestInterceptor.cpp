#include "platform/engine/RequestInterceptor.h"

namespace engine {

RequestKind KindOf(QWebEngineUrlRequestInfo::ResourceType type) {
    switch (type) {
    case QWebEngineUrlRequestInfo::ResourceTypeMainFrame:
        return RequestKind::MainFrame;
    case QWebEngineUrlRequestInfo::ResourceTypeSubFrame:
        return RequestKind::SubFrame;
    case QWebEngineUrlRequestInfo::ResourceTypeScript:
    case QWebEngineUrlRequestInfo::ResourceTypeWorker:
    case QWebEngineUrlRequestInfo::ResourceTypeSharedWorker:
    case QWebEngineUrlRequestInfo::ResourceTypeServiceWorker:
        return RequestKind::Script;
    case QWebEngineUrlRequestInfo::ResourceTypeStylesheet:
        return RequestKind::Style;
    case QWebEngineUrlRequestInfo::ResourceTypeImage:
    case QWebEngineUrlRequestInfo::ResourceTypeFavicon:
        return RequestKind::Image;
    case QWebEngineUrlRequestInfo::ResourceTypeMedia:
        return RequestKind::Media;
    case QWebEngineUrlRequestInfo::ResourceTypeObject:
    case QWebEngineUrlRequestInfo::ResourceTypePluginResource:
        return RequestKind::Object;
    case QWebEngineUrlRequestInfo::ResourceTypeFontResource:
        return RequestKind::Font;
    default:
        return RequestKind::Other;
    }
}

void RequestInterceptor::interceptRequest(QWebEngineUrlRequestInfo &info) {
    if (!Decide)
        return;
    const Request request{info.requestUrl(), KindOf(info.resourceType())};
    if (const std::optional<Block> block = Decide(request)) {
        info.block(true);
        if (OnBlocked)
            OnBlocked(request, *block);
    }
}

} // namespace engine
