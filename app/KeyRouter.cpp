#include "app/KeyRouter.h"

#include "app/Main.h"

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
    const auto &key = *static_cast<QKeyEvent *>(event);
    bool handled = false;
    FForm.FormKeyDown(key, handled);
    if (!handled && (widget == FForm.ComboBox1 || FForm.ComboBox1->isAncestorOf(widget)))
        FForm.ComboBox1KeyDown(key, handled);
    return handled;
}
