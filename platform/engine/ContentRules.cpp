#include "platform/engine/ContentRules.h"

#include "platform/engine/EngineConstants.h"
#include "platform/urlmon/UrlActions.h"

#include <QStringList>

#include <array>

namespace engine {

DocumentRules DecideDocumentRules(const QUrl &url, DWORD downloadControl,
                                  const UrlActionCheck &allowed) {
    DocumentRules rules;
    rules.scripts = !(downloadControl & DLCTL_NO_SCRIPTS) && allowed(url, URLACTION_SCRIPT_RUN);
    rules.images = downloadControl & DLCTL_DLIMAGES;
    rules.media = downloadControl & DLCTL_VIDEOS;
    rules.objects = !(downloadControl & (DLCTL_NO_RUNACTIVEXCTLS | DLCTL_NO_DLACTIVEXCTLS)) &&
                    allowed(url, URLACTION_ACTIVEX_RUN);
    rules.java = !(downloadControl & DLCTL_NO_JAVA) && allowed(url, URLACTION_JAVA_PERMISSIONS);
    rules.fonts = allowed(url, URLACTION_HTML_FONT_DOWNLOAD);
    rules.subframes = !(downloadControl & DLCTL_NO_FRAMEDOWNLOAD) &&
                      allowed(url, URLACTION_HTML_SUBFRAME_NAVIGATE);
    rules.cookies = allowed(url, URLACTION_COOKIES);
    rules.thirdPartyCookies = allowed(url, URLACTION_COOKIES_THIRD_PARTY);
    rules.sessionCookies = allowed(url, URLACTION_COOKIES_SESSION);
    rules.thirdPartySessionCookies = allowed(url, URLACTION_COOKIES_SESSION_THIRD_PARTY);
    rules.host = url.host().toLower();
    return rules;
}

namespace {

// The rules a frame may not have stricter than its page, and the URL action each stands for.
struct RuleAction {
    bool DocumentRules::*rule;
    DWORD action;
};
constexpr std::array<RuleAction, 9> kFrameRules{{
    {&DocumentRules::scripts, URLACTION_SCRIPT_RUN},
    {&DocumentRules::objects, URLACTION_ACTIVEX_RUN},
    {&DocumentRules::java, URLACTION_JAVA_PERMISSIONS},
    {&DocumentRules::fonts, URLACTION_HTML_FONT_DOWNLOAD},
    {&DocumentRules::subframes, URLACTION_HTML_SUBFRAME_NAVIGATE},
    {&DocumentRules::cookies, URLACTION_COOKIES},
    {&DocumentRules::sessionCookies, URLACTION_COOKIES_SESSION},
    {&DocumentRules::thirdPartyCookies, URLACTION_COOKIES_THIRD_PARTY},
    {&DocumentRules::thirdPartySessionCookies, URLACTION_COOKIES_SESSION_THIRD_PARTY},
}};

} // namespace

DocumentRules Strictest(const DocumentRules &a, const DocumentRules &b) {
    DocumentRules rules = a;
    for (const RuleAction &r : kFrameRules)
        rules.*r.rule = a.*r.rule && b.*r.rule;
    rules.images = a.images && b.images;
    rules.media = a.media && b.media;
    return rules;
}

std::optional<DWORD> CheckSubframe(const DocumentRules &page, const DocumentRules &frame) {
    if (!page.subframes)
        return URLACTION_HTML_SUBFRAME_NAVIGATE;
    for (const RuleAction &r : kFrameRules) {
        if (page.*r.rule && !(frame.*r.rule))
            return r.action;
    }
    return std::nullopt;
}

std::optional<DWORD> CheckClientPull(const QUrl &document, DWORD downloadControl,
                                     const UrlActionCheck &allowed) {
    if ((downloadControl & DLCTL_NO_CLIENTPULL) || !allowed(document, URLACTION_HTML_META_REFRESH))
        return URLACTION_HTML_META_REFRESH;
    return std::nullopt;
}

bool IsJavaArchive(const QUrl &url) {
    const QString path = url.path().toLower();
    return path.endsWith(u".class"_qs) || path.endsWith(u".jar"_qs);
}

bool IsNetworkUrl(const QUrl &url) {
    static const QStringList schemes{u"http"_qs, u"https"_qs, u"ftp"_qs, u"ws"_qs, u"wss"_qs};
    return schemes.contains(url.scheme().toLower());
}

bool IsMadeByPage(const QUrl &url) {
    static const QStringList schemes{u"data"_qs, u"blob"_qs, u"filesystem"_qs};
    return schemes.contains(url.scheme().toLower());
}

namespace {

using Check = std::optional<Block> (*)(const Request &, const DocumentRules &, bool offline);

std::optional<Block> BlockOffline(const Request &r, const DocumentRules &, bool offline) {
    if (offline && IsNetworkUrl(r.url))
        return Block{};
    return std::nullopt;
}

std::optional<Block> BlockScripts(const Request &r, const DocumentRules &rules, bool) {
    if (r.kind == RequestKind::Script && !rules.scripts)
        return Block{URLACTION_SCRIPT_RUN};
    return std::nullopt;
}

std::optional<Block> BlockImagesAndMedia(const Request &r, const DocumentRules &rules, bool) {
    if ((r.kind == RequestKind::Image && !rules.images) ||
        (r.kind == RequestKind::Media && !rules.media))
        return Block{};
    return std::nullopt;
}

std::optional<Block> BlockObjects(const Request &r, const DocumentRules &rules, bool) {
    if (r.kind != RequestKind::Object)
        return std::nullopt;
    if (!rules.objects)
        return Block{URLACTION_ACTIVEX_RUN};
    if (!rules.java && IsJavaArchive(r.url))
        return Block{URLACTION_JAVA_PERMISSIONS};
    return std::nullopt;
}

std::optional<Block> BlockFonts(const Request &r, const DocumentRules &rules, bool) {
    if (r.kind == RequestKind::Font && !rules.fonts)
        return Block{URLACTION_HTML_FONT_DOWNLOAD};
    return std::nullopt;
}

constexpr std::array<Check, 5> kChecks{BlockOffline, BlockScripts, BlockImagesAndMedia,
                                       BlockObjects, BlockFonts};

} // namespace

std::optional<Block> CheckRequest(const Request &request, const DocumentRules &rules,
                                  bool offline) {
    for (Check check : kChecks) {
        if (auto block = check(request, rules, offline))
            return block;
    }
    return std::nullopt;
}

} // namespace engine
