#pragma once
// Whether a top-level navigation has committed, asked of the engine at any moment. Qt WebEngine
// tells of a commit only later, through queued signals (and not at all when neither address nor
// title changes), while the page's session history changes at once: each commit stamps its entry
// with the time of the visit. The newest stamp is therefore the last commit.

#include <QDateTime>
#include <QUrl>

class QWebEngineHistory;

namespace engine {

struct HistoryMark {
    QDateTime visited; // the newest visit; invalid without one
    QUrl url;          // the URL of that entry

    friend bool operator==(const HistoryMark &, const HistoryMark &) = default;
};

HistoryMark NewestEntry(const QWebEngineHistory &history);

// True when the document of target committed after mark was taken: a newer visit, of target.
// A newer visit of another URL is a frame's or the old document's own history entry.
bool CommittedSince(const HistoryMark &mark, const HistoryMark &now, const QUrl &target);

} // namespace engine
