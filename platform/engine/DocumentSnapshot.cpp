#include "platform/engine/DocumentSnapshot.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineSettings>

#include <array>
#include <utility>

namespace engine {

namespace {

// Frames nested deeper than this are left out.
constexpr int kMaxFrameDepth = 8;

const char16_t kNoCertificate[] = u"この種類の文書には、セキュリティ証明書がありません。";
const char16_t kEncrypted[] = u"暗号化された接続で受信した文書です。";

// The element's text fields and the JSON keys the script writes them under.
const std::array<std::pair<const char16_t *, QString ElementSnapshot::*>, 19> kElementText{{
    {u"t", &ElementSnapshot::tagName},
    {u"id", &ElementSnapshot::id},
    {u"cls", &ElementSnapshot::className},
    {u"name", &ElementSnapshot::name},
    {u"st", &ElementSnapshot::style},
    {u"sb", &ElementSnapshot::styleBackground},
    {u"sbc", &ElementSnapshot::styleBackgroundColor},
    {u"sbi", &ElementSnapshot::styleBackgroundImage},
    {u"href", &ElementSnapshot::href},
    {u"text", &ElementSnapshot::innerText},
    {u"alt", &ElementSnapshot::alt},
    {u"size", &ElementSnapshot::fileSize},
    {u"classid", &ElementSnapshot::classid},
    {u"codetype", &ElementSnapshot::codetype},
    {u"code", &ElementSnapshot::code},
    {u"type", &ElementSnapshot::type},
    {u"data", &ElementSnapshot::data},
    {u"bg", &ElementSnapshot::bgColor},
    {u"bgi", &ElementSnapshot::background},
}};

QString FileDate(const QDateTime &time) {
    return time.isValid() ? time.toLocalTime().toString(u"MM/dd/yyyy"_qs) : QString();
}

ElementSnapshot ParseElement(const QJsonObject &o) {
    ElementSnapshot e;
    for (const auto &[key, field] : kElementText)
        e.*field = o.value(QString::fromUtf16(key)).toString();
    e.complete = o.value(u"complete"_qs).toBool();
    e.width = o.value(u"w"_qs).toInt();
    e.height = o.value(u"h"_qs).toInt();
    if (e.tagName.compare(u"IMG"_qs, Qt::CaseInsensitive) == 0) {
        // A local image's size is the file's; otherwise the engine's transfer figure.
        const QUrl src(e.href);
        if (src.isLocalFile()) {
            const QFileInfo file(src.toLocalFile());
            e.fileSize = file.isFile() ? QString::number(file.size()) : u"-1"_qs;
        } else if (e.fileSize.isEmpty()) {
            e.fileSize = u"-1"_qs;
        }
    }
    return e;
}

DocumentSnapshot ParseDocument(const QJsonObject &o) {
    DocumentSnapshot d;
    d.readable = o.value(u"readable"_qs).toBool();
    if (!d.readable)
        return d;
    d.documentId = o.value(u"docId"_qs).toString();
    d.url = o.value(u"url"_qs).toString();
    d.title = o.value(u"title"_qs).toString();
    d.lastModified = o.value(u"lastModified"_qs).toString();
    d.charset = o.value(u"charset"_qs).toString();
    d.bgColor = o.value(u"bgColor"_qs).toString();
    const QJsonArray elements = o.value(u"elements"_qs).toArray();
    for (qsizetype i = 0; i < elements.size() && i < kMaxElements; ++i)
        d.elements.append(ParseElement(elements[i].toObject()));
    d.elementCount = qMax(o.value(u"count"_qs).toInt(), int(d.elements.size()));
    d.bodyIndex = o.value(u"bodyIndex"_qs).toInt(-1);
    if (d.bodyIndex >= 0)
        d.body = ParseElement(o.value(u"body"_qs).toObject());
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

void SetDefaultCharset(DocumentSnapshot &d, const QString &charset) {
    d.defaultCharset = charset;
    for (DocumentSnapshot &f : d.frames)
        SetDefaultCharset(f, charset);
}

} // namespace

const QString &SnapshotScript() {
    static const QString script = uR"((function () {
function attr(e, n) { return e.getAttribute(n) || ''; }
var budget = %4;
function put(r, k, v) {
  if (!v || budget <= 0) return;
  v = String(v).slice(0, %3); budget -= v.length; r[k] = v;
}
function imageSize(i) {
  var t = i.src ? performance.getEntriesByName(i.src) : [];
  var s = t.length ? (t[0].encodedBodySize || t[0].decodedBodySize) : 0;
  return s > 0 ? String(s) : '-1';
}
function element(e) {
  var t = e.tagName, r = { t: t };
  put(r, 'id', e.id);
  put(r, 'cls', typeof e.className === 'string' ? e.className : attr(e, 'class'));
  put(r, 'name', attr(e, 'name'));
  if (e.hasAttribute('style') && e.style) {
    put(r, 'st', e.style.cssText); put(r, 'sb', e.style.background);
    put(r, 'sbc', e.style.backgroundColor); put(r, 'sbi', e.style.backgroundImage);
  }
  switch (t.toUpperCase()) {
  case 'A':
    put(r, 'href', e.hasAttribute('href') ? e.href : '');
    put(r, 'text', e.innerText);
    break;
  case 'IMG':
    put(r, 'href', e.src); put(r, 'alt', e.alt); r.complete = e.complete;
    r.w = e.width; r.h = e.height; r.size = imageSize(e);
    break;
  case 'OBJECT': case 'APPLET': case 'EMBED':
    put(r, 'classid', attr(e, 'classid')); put(r, 'codetype', attr(e, 'codetype'));
    put(r, 'code', attr(e, 'code')); put(r, 'type', attr(e, 'type'));
    put(r, 'data', attr(e, 'data') || attr(e, 'src'));
    break;
  case 'BODY': case 'FRAMESET': case 'TABLE': case 'TR': case 'TD': case 'TH':
    put(r, 'bg', attr(e, 'bgcolor')); put(r, 'bgi', attr(e, 'background'));
    break;
  }
  return r;
}
function snap(doc, depth) {
  if (!doc.__quillmereId)
    doc.__quillmereId = Date.now().toString(36) + Math.random().toString(36).slice(2);
  var all = doc.getElementsByTagName('*'), n = Math.min(all.length, %2);
  var r = { readable: true, docId: doc.__quillmereId, url: doc.URL, title: doc.title.slice(0, %3),
            lastModified: doc.lastModified, charset: doc.characterSet, bgColor: doc.bgColor,
            count: all.length, elements: [], bodyIndex: -1, frames: [] };
  for (var k = 0; k < n; ++k) r.elements.push(element(all[k]));
  if (doc.body) {
    r.bodyIndex = Array.prototype.indexOf.call(all, doc.body);
    r.body = r.bodyIndex >= 0 && r.bodyIndex < n ? r.elements[r.bodyIndex] : element(doc.body);
  }
  var w = doc.defaultView;
  for (var k = 0; w && depth < %1 && k < w.frames.length; ++k) {
    var f = null;
    try { f = snap(w.frames[k].document, depth + 1); } catch (e) { f = null; }
    r.frames.push(f || { readable: false });
  }
  return r;
}
return JSON.stringify(snap(document, 0));
})())"_qs.arg(kMaxFrameDepth)
                                      .arg(kMaxElements)
                                      .arg(kMaxElementText)
                                      .arg(kElementTextBudget);
    return script;
}

DocumentSnapshot ParseSnapshot(const QString &json) {
    const QJsonDocument document = QJsonDocument::fromJson(json.toUtf8());
    return document.isObject() ? ParseDocument(document.object()) : DocumentSnapshot{};
}

void TakeSnapshot(QWebEnginePage *page, std::function<void(DocumentSnapshot)> done) {
    const QPointer<QWebEnginePage> guard(page);
    page->runJavaScript(SnapshotScript(), QWebEngineScript::ApplicationWorld,
                        [guard, done = std::move(done)](const QVariant &result) {
                            DocumentSnapshot snapshot = ParseSnapshot(result.toString());
                            if (guard)
                                SetDefaultCharset(snapshot,
                                                  guard->settings()->defaultTextEncoding());
                            done(std::move(snapshot));
                        });
}

} // namespace engine
