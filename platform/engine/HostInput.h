#pragma once
// Keys and context menus of the page, offered to the host first. A key press goes to the host's
// IDocHostUIHandler::TranslateAccelerator (S_OK: the host took the key and the page never sees
// it); a context menu to its ShowContextMenu (S_OK: the host showed its own menu; anything else:
// the engine's menu opens).

#include "platform/engine/DocHost.h"

#include <QObject>

#include <functional>
#include <optional>

class QKeyEvent;
class QPoint;
class QWebEngineView;

namespace engine {

// Context menu kinds as the host receives them.
constexpr DWORD CONTEXT_MENU_DEFAULT = 0;
constexpr DWORD CONTEXT_MENU_IMAGE = 1;
constexpr DWORD CONTEXT_MENU_CONTROL = 2;
constexpr DWORD CONTEXT_MENU_TEXTSELECT = 4;
constexpr DWORD CONTEXT_MENU_ANCHOR = 5;

// The key-down message of a key press: WM_SYSKEYDOWN with Alt held (or for F10), else WM_KEYDOWN,
// the virtual-key code in wParam. None for a key that has no virtual-key code.
std::optional<MSG> KeyDownMessage(const QKeyEvent &event);

class HostInput final : public QObject {
    Q_OBJECT
public:
    using HandlerSource = std::function<IDocHostUIHandler *()>;
    // Watches the view and the widgets the engine puts into it; `handler` gives the host's
    // current UI handler (null: none).
    HostInput(QWebEngineView *view, HandlerSource handler);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Watch(QObject *object);
    bool TranslateKey(const QKeyEvent &event);
    void ShowContextMenu(const QPoint &position);

    QWebEngineView *m_view = nullptr;
    HandlerSource m_handler;
};

} // namespace engine
