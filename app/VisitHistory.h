#pragma once
// The visited addresses of one window: the address box's most-recently-used list (newest first)
// and the history behind the Back button's menu (oldest first, HistoryPos at the page shown).
// Addresses are compared without regard to case and kept as first recorded; neither list has a
// size limit and nothing is saved.
//
// An address already in the history (the page chosen from the history menu, or a title reported
// twice) adds nothing: HistoryPos moves to the earlier entry and every entry stays, so the menu
// still offers the pages after it.

#include <QStringList>

class TVisitHistory final {
public:
    // Records the address of a page whose title arrived.
    void Record(const QString &url);
    // A history menu choice: HistoryPos := index. False for an index outside the history.
    bool Choose(int index);

    const QStringList &Addresses() const { return FAddresses; }
    const QStringList &History() const { return FHistory; }
    int HistoryPos() const { return FHistoryPos; }

private:
    QStringList FAddresses;
    QStringList FHistory;
    int FHistoryPos = -1;
};
