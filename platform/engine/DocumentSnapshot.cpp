#include "platform/engine/DocumentSnapshot.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>

namespace engine {

namespace {

// Frames nested deeper than this are left out.
constexpr int kMaxFrameDepth = 8;

const char16_t kNoCertificate[] = u"この種類の文書には、セキュリティ証明書がありません。";
const char16_t kEncrypted[] = u"暗号化された接続で受信した文書です。";

QString FileDate(const QDateTime &time) {
    return time.isValid() ? time.toLocalTime().toString(u"MM/dd/yyyy"_qs) : QString();
}

DocumentSnapshot ParseDocument(const QJsonObject &o) {
    DocumentSnapshot d;
    d.readable = o.value(u"readable"_qs).toBool();
    if (!d.readable)
        return d;
    d.url = o.value(u"url"_qs).toString();
    d.title = o.value(u"title"_qs).toString();
    d.lastModified = o.value(u"lastModified"_qs).toString();
    d.charset = o.value(u"charset"_qs).toString();
    d.bgColor = o.value(u"bgColor"_qs).toString();
    d.bodyStyle = o.value(u"bodyStyle"_qs).toString();
    d.scripts = o.value(u"scripts"_qs).toInt();
    for (const QJsonValue &a : o.value(u"anchors"_qs).toArray())
        d.anchors << a.toString();
    for (const QJsonValue &v : o.value(u"images"_qs).toArray()) {
        const QJsonObject i = v.toObject();
        d.images.append({i.value(u"src"_qs).toString(), i.value(u"alt"_qs).toString(),
                         i.value(u"complete"_qs).toBool(), i.value(u"width"_qs).toInt(),
                         i.value(u"height"_qs).toInt()});
    }
    for (const QJsonValue &v : o.value(u"objects"_qs).toArray()) {
        const QJsonObject e = v.toObject();
        d.objects.append({e.value(u"tag"_qs).toString(), e.value(u"classid"_qs).toString(),
                          e.value(u"codetype"_qs).toString(), e.value(u"code"_qs).toString(),
                          e.value(u"data"_qs).toString()});
    }
    for (const QJsonValue &f : o.value(u"frames"_qs).toArray())
        d.frames.append(ParseDocument(f.toObject()));

    const QUrl url(d.url);
    d.security = url.scheme() == u"https"_qs ? QString::fromUtf16(kEncrypted)
                                             : QString::fromUtf16(kNoCertificate);
    if (url.isLocalFile()) {
        const QFileInfo file(url.toLocalFile());
        if (file.exists()) {
            d.fileCreatedDate =
                FileDate(file.birthTime().isValid() ? file.birthTime() : file.metadataChangeTime());
            d.fileModifiedDate = FileDate(file.lastModified());
            d.fileSize = QString::number(file.size());
        }
    }
    return d;
}

} // namespace

const QString &SnapshotScript() {
    static const QString script = uR"((function () {
function attr(e, n) { return e.getAttribute(n) || ''; }
function snap(doc, depth) {
  var r = { readable: true, url: doc.URL, title: doc.title, lastModified: doc.lastModified,
            charset: doc.characterSet, bgColor: doc.bgColor,
            bodyStyle: doc.body ? attr(doc.body, 'style') : '', scripts: doc.scripts.length,
            anchors: [], images: [], objects: [], frames: [] };
  for (var a of doc.querySelectorAll('a[href], area[href]')) r.anchors.push(a.href);
  for (var i of doc.images)
    r.images.push({ src: i.src, alt: i.alt, complete: i.complete,
                    width: i.naturalWidth, height: i.naturalHeight });
  for (var o of doc.querySelectorAll('object, applet, embed'))
    r.objects.push({ tag: o.tagName.toLowerCase(), classid: attr(o, 'classid'),
                     codetype: attr(o, 'codetype'), code: attr(o, 'code'),
                     data: attr(o, 'data') || attr(o, 'src') });
  var w = doc.defaultView;
  for (var k = 0; w && depth < %1 && k < w.frames.length; ++k) {
    var f = null;
    try { f = snap(w.frames[k].document, depth + 1); } catch (e) { f = null; }
    r.frames.push(f || { readable: false });
  }
  return r;
}
return JSON.stringify(snap(document, 0));
})())"_qs.arg(kMaxFrameDepth);
    return script;
}

DocumentSnapshot ParseSnapshot(const QString &json) {
    const QJsonDocument document = QJsonDocument::fromJson(json.toUtf8());
    return document.isObject() ? ParseDocument(document.object()) : DocumentSnapshot{};
}

} // namespace engine
