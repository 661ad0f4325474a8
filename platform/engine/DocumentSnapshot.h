#pragma once
// A read model of a document and its frames, taken through an isolated script world (page
// scripts neither see it nor can change it, and it works where page scripts are off).

#include <QList>
#include <QString>
#include <QStringList>

namespace engine {

struct ImageSnapshot {
    QString src;
    QString alt;
    bool complete = false;
    int width = 0;
    int height = 0;
};

// An object, applet or embed element.
struct ObjectSnapshot {
    QString tag;
    QString classid;
    QString codetype;
    QString code;
    QString data;
};

struct DocumentSnapshot {
    // False for a frame whose document the engine does not let us read; nothing else is set.
    bool readable = false;
    QString url;
    QString title;
    QString lastModified; // MM/DD/YYYY hh:mm:ss
    QString fileCreatedDate;
    QString fileModifiedDate;
    QString fileUpdatedDate;
    QString fileSize;
    QString security;
    QString charset;
    QString bgColor;
    QString bodyStyle;
    QStringList anchors;
    QList<ImageSnapshot> images;
    QList<ObjectSnapshot> objects;
    int scripts = 0;
    QList<DocumentSnapshot> frames;
};

// The script that collects a snapshot, as JSON text, in the page's isolated world.
const QString &SnapshotScript();

// Reads the script's answer; the file dates and size of local documents come from the file
// system. Anything unreadable gives a snapshot that is not readable.
DocumentSnapshot ParseSnapshot(const QString &json);

} // namespace engine
