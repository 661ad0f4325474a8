#include "platform/engine/PreviewPages.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPdfDocument>

#include <algorithm>

namespace engine {
namespace {

// Space around and between the pages, in pixels.
constexpr int kGap = 12;

} // namespace

PreviewPages::PreviewPages(QPdfDocument *document, QWidget *parent)
    : QWidget(parent), m_document(document) {
    for (int page = 0; page < m_document->pageCount(); ++page)
        m_points.append(m_document->pagePointSize(page));
    m_renderer.setRenderMode(QPdfPageRenderer::RenderMode::MultiThreaded);
    m_renderer.setDocument(m_document);
    connect(&m_renderer, &QPdfPageRenderer::pageRendered, this,
            [this](int page, QSize size, const QImage &image) { Rendered(page, size, image); });
    Relayout();
}

void PreviewPages::SetScale(qreal scale) {
    m_scale = std::clamp(scale, kMinScale, kMaxScale);
    Relayout();
}

qreal PreviewPages::ScaleForWidth(int width) const {
    qreal widest = 0;
    for (const QSizeF &points : m_points)
        widest = std::max(widest, points.width());
    return widest > 0 ? (width - 2 * kGap) / widest : 1.0;
}

QRect PreviewPages::PageRect(int page) const {
    const QSize size = (m_points[page] * m_scale).toSize();
    return {(width() - size.width()) / 2, m_tops[page], size.width(), size.height()};
}

int PreviewPages::PageAt(int y) const {
    const auto next = std::upper_bound(m_tops.begin(), m_tops.end(), y);
    return std::max(0, int(next - m_tops.begin()) - 1);
}

QList<int> PreviewPages::HeldPages() const {
    QList<int> pages;
    for (const Held &held : m_held)
        pages.append(held.page);
    return pages;
}

void PreviewPages::paintEvent(QPaintEvent *event) {
    QPainter painter(this);
    if (m_points.isEmpty())
        return;
    for (int page = PageAt(event->rect().top()); page < m_points.size(); ++page) {
        const QRect rect = PageRect(page);
        if (rect.top() > event->rect().bottom())
            break;
        painter.fillRect(rect.translated(3, 3), QColor(0, 0, 0, 80));
        painter.fillRect(rect, Qt::white);
        const qsizetype held = Find(page);
        if (held < 0)
            continue;
        m_held.move(held, m_held.size() - 1); // shown last
        if (!m_held.last().image.isNull())
            painter.drawImage(rect, m_held.last().image);
    }
    RenderNext();
}

void PreviewPages::Relayout() {
    m_tops.clear();
    int top = kGap, width = 0;
    for (const QSizeF &points : m_points) {
        const QSize size = (points * m_scale).toSize();
        m_tops.append(top);
        top += size.height() + kGap;
        width = std::max(width, size.width());
    }
    resize(width + 2 * kGap, top);
    update();
}

QSize PreviewPages::RenderSize(int page) const {
    const qreal scale = std::min(m_scale * devicePixelRatioF(), kMaxRenderDpi / 72.0);
    return (m_points[page] * scale).toSize();
}

QList<int> PreviewPages::VisiblePages() const {
    QList<int> pages;
    const QRect shown = visibleRegion().boundingRect();
    if (shown.isEmpty() || m_points.isEmpty())
        return pages;
    for (int page = PageAt(shown.top()); page < m_points.size(); ++page) {
        const QRect rect = PageRect(page);
        if (rect.top() > shown.bottom())
            break;
        if (rect.intersects(shown))
            pages.append(page);
    }
    return pages;
}

void PreviewPages::RenderNext() {
    if (m_asked)
        return;
    const QList<int> visible = VisiblePages();
    for (int page : visible) {
        const qsizetype held = Find(page);
        if (held >= 0 && m_held[held].size == RenderSize(page))
            continue;
        if (held < 0 && m_held.size() >= kMaxHeldPages && !MakeRoom(visible))
            return;
        m_asked = page;
        m_renderer.requestPage(page, RenderSize(page));
        return;
    }
}

void PreviewPages::Rendered(int page, QSize size, const QImage &image) {
    if (m_asked != page)
        return;
    m_asked.reset();
    Held rendered{page, size, image};
    if (const qsizetype held = Find(page); held >= 0)
        m_held.removeAt(held);
    else if (m_held.size() >= kMaxHeldPages && !MakeRoom(VisiblePages()))
        return; // every held page is on screen; this one is shown blank
    m_held.append(std::move(rendered));
    update(PageRect(page));
    RenderNext();
}

bool PreviewPages::MakeRoom(const QList<int> &visible) {
    for (qsizetype i = 0; i < m_held.size(); ++i) {
        if (!visible.contains(m_held[i].page)) {
            m_held.removeAt(i);
            return true;
        }
    }
    return false;
}

qsizetype PreviewPages::Find(int page) const {
    for (qsizetype i = 0; i < m_held.size(); ++i) {
        if (m_held[i].page == page)
            return i;
    }
    return -1;
}

} // namespace engine
