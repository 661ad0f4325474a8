#pragma once
// The pages of a print preview, one under the other. A page is rendered only when it is
// visible, on Qt PDF's render thread, and only a few rendered pages are held: a document of
// hundreds of pages costs no more than the pages on screen.

#include <QImage>
#include <QList>
#include <QPdfPageRenderer>
#include <QWidget>

#include <optional>

class QPdfDocument;

namespace engine {

// Rendered page images held at most; the least recently shown one goes first.
inline constexpr int kMaxHeldPages = 8;
// Pages are rendered at no more than this resolution, for the screen and for the printer: a page
// at a printer's full resolution would take hundreds of megabytes.
inline constexpr int kMaxRenderDpi = 200;

class PreviewPages final : public QWidget {
    Q_OBJECT
public:
    // The document must outlive the widget.
    PreviewPages(QPdfDocument *document, QWidget *parent);

    // Screen pixels per point of the pages (1 pt = 1/72 in), within [kMinScale, kMaxScale].
    static constexpr qreal kMinScale = 0.25;
    static constexpr qreal kMaxScale = 4.0;
    void SetScale(qreal scale);
    qreal Scale() const { return m_scale; }
    // The scale at which the widest page fills width pixels.
    qreal ScaleForWidth(int width) const;

    // Where a page lies in the widget; the page at a height (the last one below the end).
    QRect PageRect(int page) const;
    int PageAt(int y) const;
    // The pages whose images are held now, least recently shown first.
    QList<int> HeldPages() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    struct Held {
        int page;
        QSize size;   // the size it was asked for at
        QImage image; // null when the page could not be rendered (a blank page is shown)
    };

    void Relayout();
    // The size a page is rendered at for the current scale (no finer than 200 dpi).
    QSize RenderSize(int page) const;
    QList<int> VisiblePages() const;
    // Asks for the next visible page that is not held at its size, one request at a time.
    void RenderNext();
    void Rendered(int page, QSize size, const QImage &image);
    // Makes room for one more image by dropping one no longer visible; false when every held
    // image is on screen.
    bool MakeRoom(const QList<int> &visible);
    qsizetype Find(int page) const; // -1 when not held

    QPdfDocument *m_document;
    QPdfPageRenderer m_renderer;
    QList<QSizeF> m_points; // each page's size in points, read once
    QList<int> m_tops;      // each page's top at the current scale
    qreal m_scale = 1.0;
    QList<Held> m_held;         // least recently shown first
    std::optional<int> m_asked; // the page being rendered
};

} // namespace engine
