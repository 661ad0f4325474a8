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
    // The elements in document order (the order of the document's `all`), as far as the page's
    // element budget reaches; elementCount is the document's real number.
    QList<ElementSnapshot> elements;
    int elementCount = 0;
    // The body (or frameset) element and its position in the document's order; -1 without one.
    ElementSnapshot body;
    int bodyIndex = -1;
    // The first of the document's frames, in order, as far as the page's frame limit and text
    // budget reach; frameCount is the document's real number.
    QList<DocumentSnapshot> frames;
    int frameCount = 0;
};

// A hostile page must not make the snapshot unbounded, so a page and its frames share one
// budget. Documents are taken in document order, each before its own frames (the top document
// first): the elements of the page and its frames together stop after kElementBudget (later
// documents keep their element count only), and at most kMaxFrames frames are taken, 8 levels
// deep (later frames are absent from their document's frames). Each text of an element (and a
// document's title) is cut after kMaxElementText characters; these texts and every document's
// address together stop at kTextBudget: later elements keep only their tag name and numbers,
// and a frame with an address longer than kMaxElementText that no longer fits is absent with
// the frames after it. Long attributes or data: URLs cannot make the snapshot unbounded. The
// body element of a document is kept even beyond the element budget.
inline constexpr int kElementBudget = 20000;
inline constexpr int kMaxFrames = 64;
inline constexpr int kMaxElementText = 4096;
inline constexpr int kTextBudget = 4'000'000;

// The script that collects a snapshot, as JSON text, in the page's isolated world.
const QString &SnapshotScript();

// Reads the script's answer; the file dates and size of local documents and images come from
// the file system. The budgets above hold whatever the answer holds (it comes from the process
// that runs the page). Anything unreadable gives a snapshot that is not readable.
DocumentSnapshot ParseSnapshot(const QString &json);

// Runs the script on the page's current document and hands over the result on the GUI thread.
// The answer is read on a worker thread, one answer after the other, so results come in the
// order they were asked for and the GUI thread goes on meanwhile. done is not called when the
// page has gone by then; it gets a snapshot that is not readable when the script failed.
void TakeSnapshot(QWebEnginePage *page, std::function<void(DocumentSnapshot)> done);

} // namespace engine
