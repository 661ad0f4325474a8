#pragma once
// What a document may do and which of its requests are let through. Pure decisions: the security
// chain is reached through a callback, so the rules are tested without an engine.

#include "platform/kernel/Win32.h"

#include <QUrl>

#include <functional>
#include <optional>

namespace engine {

// True when the security chain allows action for url.
using UrlActionCheck = std::function<bool(const QUrl &url, DWORD action)>;

// Decided once per document, before its load starts, from its URL's zone and the host's
// download-control flags.
struct DocumentRules {
    bool scripts = true;
    bool images = true;
    bool media = true;
    bool objects = true;
    bool java = true;
    bool fonts = true;
    bool subframes = true;
    // Cookies: persistent (with an expiry) and session ones, first party (of the document's
    // host) and third party (from and to other sites than the document's).
    bool cookies = true;
    bool thirdPartyCookies = true;
    bool sessionCookies = true;
    bool thirdPartySessionCookies = true;
    // The document's host; a cookie whose domain does not cover it is third party.
    QString host;

    friend bool operator==(const DocumentRules &, const DocumentRules &) = default;
};

DocumentRules DecideDocumentRules(const QUrl &url, DWORD downloadControl,
                                  const UrlActionCheck &allowed);

// The stricter of two rule sets: a rule is allowed only where both allow it (host: a's).
DocumentRules Strictest(const DocumentRules &a, const DocumentRules &b);

// A sub-frame runs under its page's settings, which the engine cannot make stricter for one
// frame: it is loaded only when its page may have frames and no rule of the frame's own zone
// is stricter than its page's. Returns the URL action of the first rule that blocks it (0 for
// the download-control flags), or nullopt.
std::optional<DWORD> CheckSubframe(const DocumentRules &page, const DocumentRules &frame);

// A document that has finished loading and then navigates by itself (meta refresh, or a script
// timer after the load) pulls the next page: refused when the host sets DLCTL_NO_CLIENTPULL or
// the document's zone refuses meta refresh. Returns the refusing URL action, or nullopt.
std::optional<DWORD> CheckClientPull(const QUrl &document, DWORD downloadControl,
                                     const UrlActionCheck &allowed);

enum class RequestKind { MainFrame, SubFrame, Script, Style, Image, Media, Object, Font, Other };

struct Request {
    QUrl url;
    RequestKind kind = RequestKind::Other;
};

// Why a request was blocked: the URL action that disallowed it, or 0 when the download-control
// flags or the offline state did.
struct Block {
    DWORD action = 0;
};

// Runs the request checks in order (offline first); the first that blocks decides.
// offline: the global offline state, the control's Offline property or DLCTL_FORCEOFFLINE:
// no request to the network is let through.
std::optional<Block> CheckRequest(const Request &request, const DocumentRules &rules, bool offline);

// True for a Java class or archive.
bool IsJavaArchive(const QUrl &url);

// True for URLs whose load would leave the machine.
bool IsNetworkUrl(const QUrl &url);

// True for content a page makes itself (data:, blob:, filesystem:). It has no zone of its own:
// a download of it is judged by the page that started it.
bool IsMadeByPage(const QUrl &url);

} // namespace engine
