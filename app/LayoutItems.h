#pragma once
// Small builders shared by the main window's menu and tool bar layout functions.

#include <QAction>
#include <QMenu>
#include <QString>

struct TItemState final {
    bool Enabled = true;
    bool Checkable = false;
    bool Checked = false;
    bool Visible = true;
};

// An action named `name`, owned by `owner`, with the given caption and state.
inline QAction *NewAction(QObject *owner, const char *name, const QString &caption,
                          const TItemState &state = {}) {
    auto *action = new QAction(caption, owner);
    action->setObjectName(QString::fromLatin1(name));
    action->setEnabled(state.Enabled);
    action->setCheckable(state.Checkable);
    action->setChecked(state.Checked);
    action->setVisible(state.Visible);
    return action;
}

// Appends a new item to `menu`.
inline QAction *AddItem(QMenu *menu, const char *name, const QString &caption,
                        const TItemState &state = {}) {
    QAction *action = NewAction(menu, name, caption, state);
    menu->addAction(action);
    return action;
}

inline QAction *AddSeparator(QMenu *menu, const char *name) {
    QAction *separator = menu->addSeparator();
    separator->setObjectName(QString::fromLatin1(name));
    return separator;
}

// A sub-menu named `name`, appended to `menu` (its state is that of menuAction()).
inline QMenu *AddSubMenu(QMenu *menu, const char *name, const QString &caption) {
    auto *sub = new QMenu(caption, menu);
    sub->setObjectName(QString::fromLatin1(name));
    menu->addMenu(sub);
    return sub;
}
