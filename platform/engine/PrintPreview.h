#pragma once
// The print preview. The engine lays a page out for printing only asynchronously, so the page is
// first laid out as PDF with the current page layout; the preview window then shows those pages
// (rendered when they come into view, PreviewPages.h) and prints them all.

#include <QByteArray>
#include <QDialog>
#include <QPageLayout>

#include <memory>

class QLabel;
class QPdfDocument;
class QPrinter;
class QScrollArea;
class QTemporaryFile;

namespace engine {

class PreviewPages;

class PrintPreviewWindow final : public QDialog {
    Q_OBJECT
public:
    // Null when the PDF cannot be read; the window is not shown yet.
    static std::unique_ptr<PrintPreviewWindow> Create(const QByteArray &pdf,
                                                      const QPageLayout &layout, QWidget *parent);
    ~PrintPreviewWindow() override;
    PrintPreviewWindow(const PrintPreviewWindow &) = delete;
    PrintPreviewWindow &operator=(const PrintPreviewWindow &) = delete;

    int PageCount() const;
    PreviewPages *Pages() const { return m_pages; }
    QScrollArea *ScrollArea() const { return m_scroll; }
    // Paints every laid-out page onto the printer, one printer page each; what the print button
    // does once the print dialog is accepted.
    void PrintPages(QPrinter *printer);

protected:
    // Fits the pages to the view's width while the scale follows it.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    PrintPreviewWindow(std::unique_ptr<QPrinter> printer, std::unique_ptr<QTemporaryFile> file,
                       std::unique_ptr<QPdfDocument> document, QWidget *parent);
    void OpenPrintDialog();
    // Changes the scale keeping the page at the top of the view where it is.
    void Rescale(qreal scale);
    void FitWidth();
    void ShowPageNumber();

    std::unique_ptr<QPrinter> m_printer;
    std::unique_ptr<QTemporaryFile> m_file;
    std::unique_ptr<QPdfDocument> m_document;
    QScrollArea *m_scroll = nullptr;
    PreviewPages *m_pages = nullptr; // renders from m_document: goes first
    QLabel *m_pageNumber = nullptr;
    bool m_fitWidth = true; // the scale follows the window's width until the user zooms
};

} // namespace engine
