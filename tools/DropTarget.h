#pragma once
// TDropTarget: the address box's drop target. Whatever is dragged over the box shows the move
// effect (Qt keeps the effect within the actions the source offers, so a copy-only source shows
// its copy); a drop is refused, so the box keeps its text and the drag source, seeing no completed
// move, never deletes its data.

#include <QObject>

class QWidget;

class TDropTarget final : public QObject {
    Q_OBJECT
public:
    // Makes target accept drags and routes its drag and drop events through this object, which
    // becomes the target's child.
    static TDropTarget *Install(QWidget *target);

    TDropTarget(const TDropTarget &) = delete;
    TDropTarget &operator=(const TDropTarget &) = delete;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit TDropTarget(QObject *parent) : QObject(parent) {}
};
