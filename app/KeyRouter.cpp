#include "app/KeyRouter.h"

#include "app/Main.h"
#include "host/WebBrowserSecure.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>

TKeyRouter::TKeyRouter(TForm1 &form) : QObject(&form), FForm(form) {}

bool TKeyRouter::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return false;
    // A key the receiver ignores travels on to its parents; act on its first delivery only.
    auto *widget = static_cast<QWidget *>(watched);
    const QWidget *focus = QApplication::focusWidget();
    if (widget->window() != &FForm || (focus && widget != focus))
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() == Qt::Key_D && (key->modifiers() & Qt::AltModifier)) {
        FForm.FocusAddressBox();
        return true;
    }
    if (widget != FForm.ComboBox1 && !FForm.ComboBox1->isAncestorOf(widget))
        return false;
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        FForm.Go();
        return false;
    case Qt::Key_Tab:
        if (FForm.BrowserHost)
            FForm.BrowserHost->setFocus(Qt::TabFocusReason);
        return true;
    default:
        return false;
    }
}
