#pragma once
// The control's page: hands the engine's navigation requests and page message boxes to the
// control through single-cast hooks. Everything runs on the GUI thread.

#include <QWebEnginePage>

#include <functional>
#include <optional>

namespace engine {

class EnginePage final : public QWebEnginePage {
    Q_OBJECT
public:
    using QWebEnginePage::QWebEnginePage;

    // Decides a navigation before its document's load starts; false cancels it.
    std::function<bool(const QUrl &url, NavigationType type, bool isMainFrame)> OnNavigationRequest;
    // A page's alert; the hook shows or hands it on and returns at once.
    std::function<void(const QString &text)> OnAlert;
    // A page's confirm or prompt: the answer, or nullopt to let the engine show its own dialog.
    std::function<std::optional<bool>(const QString &text)> OnConfirm;
    std::function<std::optional<bool>(const QString &text, const QString &defaultValue,
                                      QString *result)>
        OnPrompt;

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    void javaScriptAlert(const QUrl &origin, const QString &text) override;
    bool javaScriptConfirm(const QUrl &origin, const QString &text) override;
    bool javaScriptPrompt(const QUrl &origin, const QString &text, const QString &defaultValue,
                          QString *result) override;
};

} // namespace engine
