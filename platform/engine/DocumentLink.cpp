#include "platform/engine/DocumentLink.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QLoggingCategory>
#include <QWebEnginePage>
#include <QWebEngineScript>

Q_LOGGING_CATEGORY(lcDocument, "quillmere.engine.document")

namespace engine {

namespace {

QUrl WithoutFragment(const QUrl &url) {
    return url.adjusted(QUrl::RemoveFragment);
}

// Finds the document by its frame path and id and the element by its position and tag, then
// runs the statement; false when anything is no longer what the model describes.
const char kWriteScript[] = R"((function (path, id, index, tag, v) {
  try {
    var w = window;
    for (var i = 0; i < path.length; ++i) { w = w.frames[path[i]]; if (!w) return false; }
    var d = w.document;
    if (d.__quillmereId !== id) return false;
    var e = null;
    if (index >= 0) {
      e = d.getElementsByTagName('*')[index];
      if (!e || e.tagName !== tag) return false;
    }
    %1;
    return true;
  } catch (x) { return false; }
}).apply(null, %2))";

} // namespace

DocumentLink::DocumentLink(QWebEnginePage *page, QUrl url) : m_page(page), m_url(std::move(url)) {}

bool DocumentLink::IsLive() const {
    return !m_detached && m_page && WithoutFragment(m_page->url()) == WithoutFragment(m_url);
}

DocumentContext DocumentContext::Frame(int index) const {
    DocumentContext frame{
        std::shared_ptr<const DocumentSnapshot>(snapshot, &snapshot->frames.at(index)), link,
        framePath};
    frame.framePath.append(index);
    return frame;
}

HRESULT DocumentContext::Write(int elementIndex, const QString &tagName, const char *statement,
                               const QJsonValue &value) const {
    if (!LiveLink())
        return E_ACCESSDENIED;
    QJsonArray path;
    for (int i : framePath)
        path.append(i);
    const QJsonArray args{path, snapshot->documentId, elementIndex, tagName, value};
    const QString script =
        QString::fromLatin1(kWriteScript)
            .arg(QString::fromLatin1(statement),
                 QString::fromUtf8(QJsonDocument(args).toJson(QJsonDocument::Compact)));
    link->Page()->runJavaScript(
        script, QWebEngineScript::ApplicationWorld, [statement](const QVariant &done) {
            if (!done.toBool())
                qCInfo(lcDocument, "write not done, the document changed: %s", statement);
        });
    return S_OK;
}

std::optional<QJsonValue> ColorValue(const Variant &value) {
    ULONG colour = 0;
    if (value.Type() == VT_I4)
        colour = static_cast<ULONG>(*value.ToI4());
    else if (value.Type() == VT_UI4)
        colour = *value.ToUI4();
    else
        return TextValue(value);
    return QJsonValue(u"#%1"_qs.arg(colour & 0xFFFFFF, 6, 16, QLatin1Char('0')));
}

std::optional<QJsonValue> TextValue(const Variant &value) {
    switch (value.Type()) {
    case VT_EMPTY:
    case VT_NULL:
        return QJsonValue(QString());
    case VT_BSTR:
        return QJsonValue(QString::fromStdString(*value.ToString()));
    default:
        return std::nullopt;
    }
}

} // namespace engine
