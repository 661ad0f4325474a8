#pragma once
// A read model of a document and its frames, taken through an isolated script world (page
// scripts neither see it nor can change it, and it works where page scripts are off).

#include <QList>
#include <QString>

#include <functional>

class QWebEnginePage;

namespace engine {

// One element of a document, with what its kind answers; fields of other kinds stay empty.
struct ElementSnapshot {
    QString tagName; // as the engine gives it: upper case for HTML elements
    QString id;
    QString className;
    QString name;
    // The inline style: its text, and the background parts it sets.
    QString style;
    QString styleBackground;
    QString styleBackgroundColor;
    QString styleBackgroundImage;
    // A: the absolute href ("" without one) and the text; IMG: the absolute src.
    QString href;
    QString innerText;
    // IMG.
    QString alt;
    bool complete = false;
    int width = 0;
    int height = 0;
    QString fileSize; // bytes as text; "-1" when the engine does not know
    // OBJECT, APPLET, EMBED: the attributes as written (data: object data or embed src).
    QString classid;
    QString codetype;
    QString code;
    QString type;
    QString data;
    // BODY, FRAMESET, TABLE, TR, TD, TH: the attributes as written.
    QString bgColor;
    QString background;
};

struct DocumentSnapshot {
    // False for a frame whose document the engine does not let us read; nothing else is set.
    bool readable = false;
    // Names this document instance in the page's isolated world; writes check it.
    QString documentId;
    QString url;
    QString title;
    QString lastModified; // MM/DD/YYYY hh:mm:ss
    QString fileCreatedDate;
    QString fileModifiedDate;
    QString fileUpdatedDate;
    QString fileSize;
    QString security;
    QString charset;        // the encoding the engine read the document with
    QString defaultCharset; // the engine's encoding for documents that declare none
    QString bgColor;
    // The elements in document order (the order of the document's `all`), at most
    // kMaxElements of them; elementCount is the document's real number.
    QList<ElementSnapshot> elements;
    int elementCount = 0;
    // The body (or frameset) element and its position in the document's order; -1 without one.
    ElementSnapshot body;
    int bodyIndex = -1;
    QList<DocumentSnapshot> frames;
};

// A hostile page must not make the snapshot unbounded: elements after this many are left out.
inline constexpr int kMaxElements = 20000;
// Each text of an element (and the title) is cut after this many characters, and the element
// texts of a page and its frames together stop at the budget: later elements keep only their
// tag name and numbers. Long attributes or data: URLs cannot make the snapshot unbounded.
inline constexpr int kMaxElementText = 4096;
inline constexpr int kElementTextBudget = 4'000'000;

// The script that collects a snapshot, as JSON text, in the page's isolated world.
const QString &SnapshotScript();

// Reads the script's answer; the file dates and size of local documents and images come from
// the file system. Anything unreadable gives a snapshot that is not readable.
DocumentSnapshot ParseSnapshot(const QString &json);

// Runs the script on the page's current document and hands over the result (not readable when
// the page went away or the script failed). Asynchronous; done runs on the GUI thread.
void TakeSnapshot(QWebEnginePage *page, std::function<void(DocumentSnapshot)> done);

} // namespace engine
