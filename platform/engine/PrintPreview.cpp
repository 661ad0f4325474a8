#include "platform/engine/PrintPreview.h"

#include "platform/engine/PreviewPages.h"

#include <QAction>
#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QPdfDocument>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryFile>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>

namespace engine {
namespace {

// One zoom step.
constexpr qreal kZoomStep = 1.25;

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
    return std::unique_ptr<PrintPreviewWindow>(
        new PrintPreviewWindow(std::move(printer), std::move(file), std::move(document), parent));
}

PrintPreviewWindow::PrintPreviewWindow(std::unique_ptr<QPrinter> printer,
                                       std::unique_ptr<QTemporaryFile> file,
                                       std::unique_ptr<QPdfDocument> document, QWidget *parent)
    : QDialog(parent), m_printer(std::move(printer)), m_file(std::move(file)),
      m_document(std::move(document)) {
    setObjectName(u"printPreviewWindow"_qs);
    setWindowTitle(u"印刷プレビュー"_qs);
    setWindowModality(Qt::NonModal);

    auto *tools = new QToolBar(this);
    QAction *print = tools->addAction(u"印刷..."_qs, this, [this] { OpenPrintDialog(); });
    print->setShortcut(QKeySequence::Print);
    tools->addSeparator();
    QAction *smaller =
        tools->addAction(u"縮小"_qs, this, [this] { Rescale(m_pages->Scale() / kZoomStep); });
    smaller->setShortcut(QKeySequence::ZoomOut);
    QAction *larger =
        tools->addAction(u"拡大"_qs, this, [this] { Rescale(m_pages->Scale() * kZoomStep); });
    larger->setShortcut(QKeySequence::ZoomIn);
    tools->addAction(u"ページ幅に合わせる"_qs, this, [this] {
        m_fitWidth = true;
        FitWidth();
    });
    tools->addSeparator();
    m_pageNumber = new QLabel(tools);
    tools->addWidget(m_pageNumber);

    m_scroll = new QScrollArea(this);
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_scroll->setAlignment(Qt::AlignHCenter);
    // Always there, so fitting the pages to the width never makes it come and go.
    m_scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_pages = new PreviewPages(m_document.get(), m_scroll);
    m_scroll->setWidget(m_pages);
    m_scroll->viewport()->installEventFilter(this);
    connect(m_scroll->verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this] { ShowPageNumber(); });

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(tools);
    layout->addWidget(m_scroll);
    resize(760, 860);
    ShowPageNumber();
}

PrintPreviewWindow::~PrintPreviewWindow() {
    delete m_pages; // its render thread reads m_document
}

int PrintPreviewWindow::PageCount() const {
    return m_document->pageCount();
}

void PrintPreviewWindow::PrintPages(QPrinter *printer) {
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

bool PrintPreviewWindow::eventFilter(QObject *watched, QEvent *event) {
    if (watched == m_scroll->viewport() && event->type() == QEvent::Resize && m_fitWidth)
        FitWidth();
    return QDialog::eventFilter(watched, event);
}

void PrintPreviewWindow::OpenPrintDialog() {
    auto *dialog = new QPrintDialog(m_printer.get(), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [this] { PrintPages(m_printer.get()); });
    dialog->open();
}

void PrintPreviewWindow::Rescale(qreal scale) {
    m_fitWidth = false;
    QScrollBar *bar = m_scroll->verticalScrollBar();
    const int page = m_pages->PageAt(bar->value());
    const QRect before = m_pages->PageRect(page);
    const qreal into =
        before.height() > 0 ? qreal(bar->value() - before.top()) / before.height() : 0;
    m_pages->SetScale(scale);
    const QRect after = m_pages->PageRect(page);
    bar->setValue(after.top() + qRound(into * after.height()));
    ShowPageNumber();
}

void PrintPreviewWindow::FitWidth() {
    const int width = m_scroll->viewport()->width();
    if (width > 0)
        m_pages->SetScale(m_pages->ScaleForWidth(width));
    ShowPageNumber();
}

void PrintPreviewWindow::ShowPageNumber() {
    const QScrollBar *bar = m_scroll->verticalScrollBar();
    const int page = m_pages->PageAt(bar->value() + m_scroll->viewport()->height() / 2);
    m_pageNumber->setText(u"%1 / %2 ページ"_qs.arg(page + 1).arg(PageCount()));
}

} // namespace engine
