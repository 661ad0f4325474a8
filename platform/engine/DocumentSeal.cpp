#include "platform/engine/DocumentSeal.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QStringList>

namespace engine {

QString SealPolicy(const DocumentRules &current, const DocumentRules &next) {
    const auto loosened = [&](bool DocumentRules::*rule) { return next.*rule && !(current.*rule); };
    const bool scripts = loosened(&DocumentRules::scripts);
    QStringList directives;
    const std::pair<bool, const char16_t *> refusals[] = {
        {scripts, u"script-src 'none'"},
        {loosened(&DocumentRules::objects) || loosened(&DocumentRules::java), u"object-src 'none'"},
        {loosened(&DocumentRules::fonts), u"font-src 'none'"},
        {loosened(&DocumentRules::images), u"img-src 'none'"},
        {loosened(&DocumentRules::media), u"media-src 'none'"},
        {scripts || loosened(&DocumentRules::subframes), u"frame-src 'none'"},
    };
    for (const auto &[refused, directive] : refusals) {
        if (refused)
            directives << QString::fromUtf16(directive);
    }
    return directives.join(u"; "_qs);
}

QString SealScript(const QString &policy, bool stripScripts) {
    // Frames nested deeper than eight levels are left out, as in the snapshot.
    static const QString script = uR"((function () {
  var policy = %1, stripScripts = %2;
  function strip(d) {
    var all = d.getElementsByTagName('*');
    for (var i = all.length - 1; i >= 0; --i) {
      var e = all[i];
      if (e.localName === 'script') { e.remove(); continue; }
      for (var a = e.attributes.length - 1; a >= 0; --a) {
        var name = e.attributes[a].name;
        if (name.slice(0, 2).toLowerCase() === 'on') e.removeAttribute(name);
      }
    }
  }
  function seal(w, depth) {
    var d;
    try { d = w.document; } catch (e) { return; }
    if (!d || !d.documentElement) return;
    var root = d.documentElement;
    var html = root.namespaceURI === 'http://www.w3.org/1999/xhtml';
    var head = d.head || (html ? root.insertBefore(d.createElement('head'), root.firstChild) : null);
    if (head) {
      var meta = d.createElement('meta');
      meta.httpEquiv = 'Content-Security-Policy';
      meta.content = policy;
      head.appendChild(meta);
    } else if (stripScripts) {
      strip(d);
    }
    if (depth < 8)
      for (var f = 0; f < w.frames.length; ++f) seal(w.frames[f], depth + 1);
  }
  seal(window, 0);
})())"_qs;
    // The policy as a JavaScript string literal: JSON's quoting.
    const QByteArray quoted = QJsonDocument(QJsonArray{policy}).toJson(QJsonDocument::Compact);
    return script.arg(QString::fromUtf8(quoted.mid(1, quoted.size() - 2)),
                      stripScripts ? u"true"_qs : u"false"_qs);
}

} // namespace engine
