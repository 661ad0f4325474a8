#pragma once
// Pages that cost the control much work, written into a directory: what the snapshot and the
// print preview must stay bounded on.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QUrl>

namespace hostile {

inline constexpr int kFrames = 100;
inline constexpr qsizetype kFrameFileSize = 140 * 1024;
inline constexpr int kPages = 400;

inline bool WriteFile(const QString &path, const QByteArray &data) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

// page.html, titled "frames": kFrames frames of one file of 140 KB (frame.html, titled "frame"),
// lines of four elements with a link each, some 12,000 elements. Its URL, empty on failure.
inline QString WriteFramesPage(const QDir &dir) {
    QByteArray frame = "<!DOCTYPE html><html><head><title>frame</title></head><body>\n";
    for (int i = 0; frame.size() < kFrameFileSize; ++i)
        frame +=
            "<p class=\"c\"><a href=\"#l" + QByteArray::number(i) + "\">t</a><i></i><b></b></p>\n";
    frame += "</body></html>\n";
    QByteArray page = "<!DOCTYPE html><html><head><title>frames</title></head><body>\n";
    for (int i = 0; i < kFrames; ++i)
        page += "<iframe src=\"frame.html\" width=\"40\" height=\"30\"></iframe>\n";
    page += "</body></html>\n";
    if (!WriteFile(dir.filePath(QStringLiteral("frame.html")), frame) ||
        !WriteFile(dir.filePath(QStringLiteral("page.html")), page))
        return {};
    return QUrl::fromLocalFile(dir.filePath(QStringLiteral("page.html"))).toString();
}

// pages.html, titled "pages": kPages printed pages, the first with a red block. Its URL, empty
// on failure.
inline QString WriteLongDocument(const QDir &dir) {
    QByteArray html = "<!DOCTYPE html><html><head><title>pages</title><style>"
                      "div.p + div.p { break-before: page; }"
                      "#red { background: red; width: 300px; height: 200px; }</style></head><body>"
                      "<div class=\"p\"><div id=\"red\"></div>1</div>\n";
    for (int page = 2; page <= kPages; ++page)
        html += "<div class=\"p\">" + QByteArray::number(page) + "</div>\n";
    html += "</body></html>\n";
    if (!WriteFile(dir.filePath(QStringLiteral("pages.html")), html))
        return {};
    return QUrl::fromLocalFile(dir.filePath(QStringLiteral("pages.html"))).toString();
}

} // namespace hostile
