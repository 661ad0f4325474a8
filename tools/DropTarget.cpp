#include "tools/DropTarget.h"

#include <QDropEvent>
#include <QWidget>

TDropTarget *TDropTarget::Install(QWidget *target) {
    auto *dropTarget = new TDropTarget(target);
    target->setAcceptDrops(true);
    target->installEventFilter(dropTarget);
    return dropTarget;
}

bool TDropTarget::eventFilter(QObject *, QEvent *event) {
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto *drag = static_cast<QDragMoveEvent *>(event);
        drag->setDropAction(Qt::MoveAction);
        drag->accept();
        return true;
    }
    case QEvent::DragLeave:
        return true;
    case QEvent::Drop: {
        // Refused: the source gets Qt::IgnoreAction back and keeps its data.
        auto *drop = static_cast<QDropEvent *>(event);
        drop->setDropAction(Qt::IgnoreAction);
        drop->ignore();
        return true;
    }
    default:
        return false;
    }
}
