#include "platform/engine/DocumentSnapshot.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QThreadPool>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <QtConcurrent>

#include <array>
#include <utility>

namespace engine {

namespace {

// Frames nested deeper than this are left out.
constexpr int kMaxFrameDepth = 8;
// A tag name and an image's size are kept beyond the text budget, cut here (no element of HTML
// has a longer name).
constexpr int kMaxShortText = 64;

const char16_t kNoCertificate[] = u"この種類の文書には、セキュリティ証明書がありません。";
const char16_t kEncrypted[] = u"暗号化された接続で受信した文書です。";

// The element's text fields and the JSON keys the script writes them under.
const std::array<std::pair<const char16_t *, QString ElementSnapshot::*>, 17> kElementText{{
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

// What is left of the page's budgets while its documents are read, in the order the script
// spends them (the answer comes from the page's process, so the budgets are checked again here).
struct Budget {
    int elements = kElementBudget;
    int frames = kMaxFrames;
    qsizetype text = kTextBudget;

    // A text as the script puts it: cut, and nothing once the text budget is spent.
    QString Text(const QJsonValue &value) {
        if (text <= 0)
            return {};
        QString s = value.toString().left(kMaxElementText);
        text -= s.size();
        return s;
    }
};

ElementSnapshot ParseElement(const QJsonObject &o, Budget &budget) {
    ElementSnapshot e;
    e.tagName = o.value(u"t"_qs).toString().left(kMaxShortText);
    e.fileSize = o.value(u"size"_qs).toString().left(kMaxShortText);
    for (const auto &[key, field] : kElementText)
        e.*field = budget.Text(o.value(QString::fromUtf16(key)));
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

void SetFileFacts(DocumentSnapshot &d) {
    const QUrl url(d.url);
    d.security = url.scheme() == u"https"_qs ? QString::fromUtf16(kEncrypted)
                                             : QString::fromUtf16(kNoCertificate);
    if (!url.isLocalFile())
        return;
    const QFileInfo file(url.toLocalFile());
    if (file.exists()) {
        d.fileCreatedDate =
            FileDate(file.birthTime().isValid() ? file.birthTime() : file.metadataChangeTime());
        d.fileModifiedDate = FileDate(file.lastModified());
        d.fileSize = QString::number(file.size());
    }
}

DocumentSnapshot ParseDocument(const QJsonObject &o, Budget &budget) {
    DocumentSnapshot d;
    d.readable = o.value(u"readable"_qs).toBool();
    if (!d.readable)
        return d;
    d.documentId = o.value(u"docId"_qs).toString();
    d.url = o.value(u"url"_qs).toString();
    budget.text -= d.url.size();
    d.title = budget.Text(o.value(u"title"_qs));
    d.bgColor = budget.Text(o.value(u"bgColor"_qs));
    d.lastModified = o.value(u"lastModified"_qs).toString();
    d.charset = o.value(u"charset"_qs).toString();
    const QJsonArray elements = o.value(u"elements"_qs).toArray();
    const qsizetype taken = qMin(elements.size(), qsizetype(budget.elements));
    budget.elements -= int(taken);
    for (qsizetype i = 0; i < taken; ++i)
        d.elements.append(ParseElement(elements[i].toObject(), budget));
    d.elementCount = qMax(o.value(u"count"_qs).toInt(), int(d.elements.size()));
    d.bodyIndex = qMax(o.value(u"bodyIndex"_qs).toInt(-1), -1);
    if (d.bodyIndex >= 0)
        d.body = d.bodyIndex < d.elements.size()
                     ? d.elements[d.bodyIndex]
                     : ParseElement(o.value(u"body"_qs).toObject(), budget);
    const QJsonArray frames = o.value(u"frames"_qs).toArray();
    for (qsizetype k = 0; k < frames.size() && budget.frames > 0; ++k) {
        const QJsonObject frame = frames[k].toObject();
        const qsizetype address = frame.value(u"url"_qs).toString().size();
        if (frame.value(u"readable"_qs).toBool() && address > kMaxElementText &&
            address > budget.text)
            break;
        --budget.frames;
        d.frames.append(ParseDocument(frame, budget));
    }
    d.frameCount = qMax(o.value(u"frameCount"_qs).toInt(), int(d.frames.size()));
    SetFileFacts(d);
    return d;
}

void SetDefaultCharset(DocumentSnapshot &d, const QString &charset) {
    d.defaultCharset = charset;
    for (DocumentSnapshot &f : d.frames)
        SetDefaultCharset(f, charset);
}

// One thread: answers are read one after the other and handed back in the order they came.
QThreadPool &ParseThread() {
    static QThreadPool *const pool = [] {
        auto *p = new QThreadPool(QCoreApplication::instance());
        p->setMaxThreadCount(1);
        return p;
    }();
    return *pool;
}

} // namespace

const QString &SnapshotScript() {
    // Spends the budgets in the order ParseDocument checks them.
    static const QString script = uR"((function () {
function attr(e, n) { return e.getAttribute(n) || ''; }
var elements = %2, frames = %5, budget = %4;
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
  var t = e.tagName, r = { t: t.slice(0, %6) };
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
  var all = doc.getElementsByTagName('*'), n = Math.min(all.length, elements);
  elements -= n;
  var r = { readable: true, docId: doc.__quillmereId, url: doc.URL,
            lastModified: doc.lastModified, charset: doc.characterSet,
            count: all.length, elements: [], bodyIndex: -1, frames: [], frameCount: 0 };
  budget -= r.url.length;
  put(r, 'title', doc.title); put(r, 'bgColor', doc.bgColor);
  for (var k = 0; k < n; ++k) r.elements.push(element(all[k]));
  if (doc.body) {
    r.bodyIndex = Array.prototype.indexOf.call(all, doc.body);
    r.body = r.bodyIndex >= 0 && r.bodyIndex < n ? r.elements[r.bodyIndex] : element(doc.body);
  }
  var w = doc.defaultView;
  r.frameCount = w ? w.frames.length : 0;
  for (var k = 0; depth < %1 && k < r.frameCount && frames > 0; ++k) {
    var d = null, f = null;
    try { d = w.frames[k].document; } catch (e) { d = null; }
    if (d && d.URL.length > %3 && d.URL.length > budget) break;
    --frames;
    try { f = d && snap(d, depth + 1); } catch (e) { f = null; }
    r.frames.push(f || { readable: false });
  }
  return r;
}
return JSON.stringify(snap(document, 0));
})())"_qs.arg(kMaxFrameDepth)
                                      .arg(kElementBudget)
                                      .arg(kMaxElementText)
                                      .arg(kTextBudget)
                                      .arg(kMaxFrames)
                                      .arg(kMaxShortText);
    return script;
}

DocumentSnapshot ParseSnapshot(const QString &json) {
    const QJsonDocument document = QJsonDocument::fromJson(json.toUtf8());
    Budget budget;
    return document.isObject() ? ParseDocument(document.object(), budget) : DocumentSnapshot{};
}

void TakeSnapshot(QWebEnginePage *page, std::function<void(DocumentSnapshot)> done) {
    const QPointer<QWebEnginePage> guard(page);
    page->runJavaScript(
        SnapshotScript(), QWebEngineScript::ApplicationWorld,
        [guard, done = std::move(done)](const QVariant &result) {
            if (!guard)
                return;
            // The watcher goes with the page, and so does an answer still being read.
            auto *watcher = new QFutureWatcher<DocumentSnapshot>(guard.data());
            QObject::connect(watcher, &QFutureWatcherBase::finished, watcher, [watcher, done] {
                watcher->deleteLater();
                DocumentSnapshot snapshot = watcher->future().takeResult();
                const auto *page = static_cast<QWebEnginePage *>(watcher->parent());
                SetDefaultCharset(snapshot, page->settings()->defaultTextEncoding());
                const std::function<void(DocumentSnapshot)> hand = done; // may delete the page
                hand(std::move(snapshot));
            });
            watcher->setFuture(
                QtConcurrent::run(&ParseThread(), &ParseSnapshot, result.toString()));
        });
}

} // namespace engine
