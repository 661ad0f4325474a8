#include "app/VisitHistory.h"

namespace {

qsizetype IndexOf(const QStringList &list, const QString &url) {
    for (qsizetype i = 0; i < list.size(); ++i)
        if (list[i].compare(url, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

} // namespace

void TVisitHistory::Record(const QString &url) {
    const qsizetype listed = IndexOf(FAddresses, url);
    if (listed < 0)
        FAddresses.prepend(url);
    else
        FAddresses.move(listed, 0);

    const qsizetype known = IndexOf(FHistory, url);
    if (known < 0) {
        FHistory.append(url);
        FHistoryPos = int(FHistory.size()) - 1;
    } else {
        FHistoryPos = int(known);
    }
}

bool TVisitHistory::Choose(int index) {
    if (index < 0 || index >= FHistory.size())
        return false;
    FHistoryPos = index;
    return true;
}
