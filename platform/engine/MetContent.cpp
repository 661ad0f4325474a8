#include "platform/engine/MetContent.h"

#include "platform/engine/CookieFilter.h"
#include "platform/engine/EngineConstants.h"
#include "platform/urlmon/UrlActions.h"

namespace engine {

namespace {

bool IsJavaElement(const ElementSnapshot &e) {
    if (e.tagName.compare(u"APPLET"_qs, Qt::CaseInsensitive) == 0)
        return true;
    return e.classid.startsWith(u"java:"_qs, Qt::CaseInsensitive) ||
           e.codetype.contains(u"java"_qs, Qt::CaseInsensitive) ||
           e.type.contains(u"java"_qs, Qt::CaseInsensitive) || IsJavaArchive(QUrl(e.code));
}

std::optional<DWORD> ElementAction(const ElementSnapshot &e) {
    const QString tag = e.tagName.toUpper();
    if (tag == u"SCRIPT"_qs)
        return URLACTION_SCRIPT_RUN;
    if (tag == u"APPLET"_qs || tag == u"OBJECT"_qs || tag == u"EMBED"_qs)
        return IsJavaElement(e) ? URLACTION_JAVA_PERMISSIONS : URLACTION_ACTIVEX_RUN;
    return std::nullopt;
}

void Collect(const DocumentSnapshot &document, QList<MetAction> &out) {
    const QUrl url(document.url);
    // The engine's own error page (a missing file, a refused address) is none of the page's
    // content.
    if (!document.readable || url.scheme() == u"chrome-error"_qs)
        return;
    for (const ElementSnapshot &e : document.elements) {
        if (const std::optional<DWORD> action = ElementAction(e)) {
            const MetAction met{url, *action};
            if (!out.contains(met))
                out.append(met);
        }
    }
    for (const DocumentSnapshot &frame : document.frames)
        Collect(frame, out);
}

} // namespace

std::optional<DWORD> MetActionOf(RequestKind kind, const QUrl &url) {
    switch (kind) {
    case RequestKind::Script:
        return URLACTION_SCRIPT_RUN;
    case RequestKind::Object:
        return IsJavaArchive(url) ? URLACTION_JAVA_PERMISSIONS : URLACTION_ACTIVEX_RUN;
    case RequestKind::Font:
        return URLACTION_HTML_FONT_DOWNLOAD;
    default:
        return std::nullopt;
    }
}

QList<MetAction> MetActionsOf(const DocumentSnapshot &snapshot) {
    QList<MetAction> out;
    Collect(snapshot, out);
    return out;
}

DWORD CookieAction(const QString &host, const QString &domain, bool session) {
    if (IsThirdPartyCookie(host, domain))
        return session ? URLACTION_COOKIES_SESSION_THIRD_PARTY : URLACTION_COOKIES_THIRD_PARTY;
    return session ? URLACTION_COOKIES_SESSION : URLACTION_COOKIES;
}

namespace {

QString Key(const MetAction &met) {
    return met.document.adjusted(QUrl::RemoveFragment).toString() + u' ' +
           QString::number(met.action, 16);
}

} // namespace

std::optional<bool> MetLog::Answer(const MetAction &met) const {
    const auto found = m_answers.constFind(Key(met));
    if (found == m_answers.cend())
        return std::nullopt;
    return *found;
}

void MetLog::Remember(const MetAction &met, bool allowed) {
    m_answers.insert(Key(met), allowed);
}

} // namespace engine
