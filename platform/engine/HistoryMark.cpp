#include "platform/engine/HistoryMark.h"

#include "platform/engine/DocumentTracker.h"

#include <QWebEngineHistory>

namespace engine {

HistoryMark NewestEntry(const QWebEngineHistory &history) {
    HistoryMark newest;
    for (const QWebEngineHistoryItem &item : history.items()) {
        const QDateTime visited = item.lastVisited();
        if (visited.isValid() && (!newest.visited.isValid() || visited > newest.visited))
            newest = {visited, item.url()};
    }
    return newest;
}

bool CommittedSince(const HistoryMark &mark, const HistoryMark &now, const QUrl &target) {
    return now != mark && now.visited.isValid() && SameDocumentUrl(now.url, target);
}

} // namespace engine
