#include "platform/engine/EnginePage.h"

namespace engine {

bool EnginePage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) {
    return OnNavigationRequest ? OnNavigationRequest(url, type, isMainFrame) : true;
}

void EnginePage::javaScriptAlert(const QUrl &, const QString &text) {
    if (OnAlert)
        OnAlert(text);
}

bool EnginePage::javaScriptConfirm(const QUrl &origin, const QString &text) {
    if (OnConfirm) {
        if (const std::optional<bool> answer = OnConfirm(text))
            return *answer;
    }
    return QWebEnginePage::javaScriptConfirm(origin, text);
}

bool EnginePage::javaScriptPrompt(const QUrl &origin, const QString &text,
                                  const QString &defaultValue, QString *result) {
    if (OnPrompt) {
        if (const std::optional<bool> answer = OnPrompt(text, defaultValue, result))
            return *answer;
    }
    return QWebEnginePage::javaScriptPrompt(origin, text, defaultValue, result);
}

} // namespace engine
