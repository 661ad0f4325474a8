#include "platform/engine/PrintPreview.h"

#include <QPainter>
#include <QPdfDocument>
#include <QPrinter>
#include <QTemporaryFile>

#include <algorithm>

namespace engine {
namespace {

// Pages are rendered at no more than this resolution: a page at the printer's full resolution
// would take hundreds of megabytes.
constexpr int kMaxRenderDpi = 200;

} // namespace

std::unique_ptr<PrintPreviewWindow>
PrintPreviewWindow::Create(const QByteArray &pdf, const QPageLayout &layout, QWidget *parent) {
    auto file = std::make_unique<QTemporaryFile>();
    if (pdf.isEmpty() || !file->open() || file->write(pdf) != pdf.size() || !file->flush())
        return nullptr;
    auto document = std::make_unique<QPdfDocument>();
    if (document->load(file->fileName()) != QPdfDocument::Error::None || document->pageCount() < 1)
        return nullptr;

    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setPageLayout(layout);
    std::unique_ptr<PrintPreviewWindow> window(new PrintPreviewWindow(std::move(printer), parent));
    window->m_file = std::move(file);
    window->m_document = std::move(document);
    return window;
}

PrintPreviewWindow::PrintPreviewWindow(std::unique_ptr<QPrinter> printer, QWidget *parent)
    : QPrintPreviewDialog(printer.get(), parent), m_printer(std::move(printer)) {
    setObjectName(u"printPreviewWindow"_qs);
    setWindowTitle(u"印刷プレビュー"_qs);
    setWindowModality(Qt::NonModal);
    resize(760, 860);
    connect(this, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter *target) { PaintPages(target); });
}

PrintPreviewWindow::~PrintPreviewWindow() = default;

int PrintPreviewWindow::PageCount() const {
    return m_document->pageCount();
}

void PrintPreviewWindow::PaintPages(QPrinter *printer) {
    QPainter painter;
    if (!painter.begin(printer))
        return;
    const int dpi = std::min(printer->resolution(), kMaxRenderDpi);
    for (int page = 0; page < m_document->pageCount(); ++page) {
        if (page > 0 && !printer->newPage())
            break;
        const QRect target = painter.viewport();
        const QSizeF points = m_document->pagePointSize(page);
        const QSize pixels = (points * dpi / 72.0).toSize();
        const QImage image = m_document->render(page, pixels);
        if (image.isNull())
            continue;
        const QSize fitted = image.size().scaled(target.size(), Qt::KeepAspectRatio);
        painter.drawImage(QRect(target.topLeft(), fitted), image);
    }
    painter.end();
}

} // namespace engine
