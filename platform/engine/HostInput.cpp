#include "platform/engine/HostInput.h"

#include <QChildEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QWebEngineContextMenuRequest>
#include <QWebEngineView>

#include <array>
#include <utility>

namespace engine {
namespace {

constexpr std::array<std::pair<int, WPARAM>, 19> kVirtualKeys{{
    {Qt::Key_Backspace, 0x08}, {Qt::Key_Tab, 0x09},    {Qt::Key_Backtab, 0x09},
    {Qt::Key_Return, 0x0D},    {Qt::Key_Enter, 0x0D},  {Qt::Key_Shift, 0x10},
    {Qt::Key_Control, 0x11},   {Qt::Key_Alt, 0x12},    {Qt::Key_Escape, 0x1B},
    {Qt::Key_Space, 0x20},     {Qt::Key_PageUp, 0x21}, {Qt::Key_PageDown, 0x22},
    {Qt::Key_End, 0x23},       {Qt::Key_Home, 0x24},   {Qt::Key_Left, 0x25},
    {Qt::Key_Up, 0x26},        {Qt::Key_Right, 0x27},  {Qt::Key_Down, 0x28},
    {Qt::Key_Delete, 0x2E},
}};
constexpr WPARAM kVirtualKeyF1 = 0x70;
constexpr WPARAM kVirtualKeyF10 = 0x79;
constexpr WPARAM kVirtualKeyInsert = 0x2D;
// lParam bit 29: Alt was held.
constexpr LPARAM kContextCode = LPARAM(1) << 29;

std::optional<WPARAM> VirtualKey(int key) {
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return static_cast<WPARAM>(key); // the letters' and digits' codes are their ASCII codes
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return kVirtualKeyF1 + static_cast<WPARAM>(key - Qt::Key_F1);
    if (key == Qt::Key_Insert)
        return kVirtualKeyInsert;
    for (const auto &[qtKey, vk] : kVirtualKeys) {
        if (qtKey == key)
            return vk;
    }
    return std::nullopt;
}

DWORD MenuKind(const QWebEngineContextMenuRequest *request) {
    if (!request)
        return CONTEXT_MENU_DEFAULT;
    if (request->isContentEditable())
        return CONTEXT_MENU_CONTROL;
    if (request->linkUrl().isValid())
        return CONTEXT_MENU_ANCHOR;
    if (request->mediaType() == QWebEngineContextMenuRequest::MediaTypeImage)
        return CONTEXT_MENU_IMAGE;
    if (!request->selectedText().isEmpty())
        return CONTEXT_MENU_TEXTSELECT;
    return CONTEXT_MENU_DEFAULT;
}

} // namespace

std::optional<MSG> KeyDownMessage(const QKeyEvent &event) {
    const std::optional<WPARAM> vk = VirtualKey(event.key());
    if (!vk)
        return std::nullopt;
    MSG message;
    const bool alt = event.modifiers() & Qt::AltModifier;
    message.message = alt || *vk == kVirtualKeyF10 ? WM_SYSKEYDOWN : WM_KEYDOWN;
    message.wParam = *vk;
    message.lParam = 1 | (alt ? kContextCode : 0); // repeat count 1
    message.time = static_cast<DWORD>(event.timestamp());
    return message;
}

HostInput::HostInput(QWebEngineView *view, HandlerSource handler)
    : QObject(view), m_view(view), m_handler(std::move(handler)) {
    m_view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_view, &QWidget::customContextMenuRequested, this, &HostInput::ShowContextMenu);
    Watch(m_view);
}

void HostInput::Watch(QObject *object) {
    object->installEventFilter(this);
    for (QObject *child : object->children()) {
        if (child->isWidgetType())
            Watch(child);
    }
}

bool HostInput::eventFilter(QObject *watched, QEvent *event) {
    switch (event->type()) {
    case QEvent::ChildAdded: {
        QObject *child = static_cast<QChildEvent *>(event)->child();
        if (child->isWidgetType())
            Watch(child);
        break;
    }
    case QEvent::KeyPress:
        if (TranslateKey(*static_cast<QKeyEvent *>(event)))
            return true;
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

bool HostInput::TranslateKey(const QKeyEvent &event) {
    IDocHostUIHandler *handler = m_handler();
    if (!handler)
        return false;
    std::optional<MSG> message = KeyDownMessage(event);
    if (!message)
        return false;
    return handler->TranslateAccelerator(&*message, nullptr, 0) == S_OK;
}

void HostInput::ShowContextMenu(const QPoint &position) {
    const QPoint global = m_view->mapToGlobal(position);
    if (IDocHostUIHandler *handler = m_handler()) {
        POINT point{global.x(), global.y()};
        if (handler->ShowContextMenu(MenuKind(m_view->lastContextMenuRequest()), &point, nullptr,
                                     nullptr) == S_OK)
            return;
    }
    QMenu *menu = m_view->createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(global);
}

} // namespace engine
