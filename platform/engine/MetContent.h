#pragma once
// Content a page meets, as the URL actions its host is told of. The rules of a document are
// decided before it loads (PUAF_PRELOAD) and stay in force; the host's ProcessUrlAction hears of
// an action when the engine actually meets that content, once per document and action: a
// script or object request, a script, object, embed or applet element of the document or a
// readable frame, a cookie stored or sent, a download, a sub-frame, a font, a meta refresh.

#include "platform/engine/ContentRules.h"
#include "platform/engine/DocumentSnapshot.h"

#include <QHash>
#include <QList>
#include <QUrl>

#include <optional>

namespace engine {

struct MetAction {
    QUrl document; // the URL of the document that met it
    DWORD action = 0;

    friend bool operator==(const MetAction &, const MetAction &) = default;
};

// The action a request stands for: scripts 0x1400, objects 0x1200 (Java archives 0x1C00),
// fonts 0x1604; nullopt for other requests.
std::optional<DWORD> MetActionOf(RequestKind kind, const QUrl &url);

// The actions of the elements of a document and its readable frames, in document order, each
// once per document: SCRIPT 0x1400, APPLET and Java objects 0x1C00, other OBJECT and EMBED
// 0x1200.
QList<MetAction> MetActionsOf(const DocumentSnapshot &snapshot);

// The cookie action for a cookie of domain that the document of host met: its own cookies
// 0x1A02 (persistent) or 0x1A03 (session), other sites' 0x1A05 or 0x1A06.
DWORD CookieAction(const QString &host, const QString &domain, bool session);

// The host's answers for the current page, so each action of a document is asked once.
class MetLog final {
public:
    // The answer given when the document met the action before; nullopt the first time.
    std::optional<bool> Answer(const MetAction &met) const;
    void Remember(const MetAction &met, bool allowed);
    void Clear() { m_answers.clear(); }

private:
    QHash<QString, bool> m_answers;
};

} // namespace engine
