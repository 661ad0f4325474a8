#pragma once
// The print preview. The engine lays a page out for printing only asynchronously, while a preview
// window paints its pages on demand; so the page is first laid out as PDF with the current page
// layout, and the preview window then paints and prints those pages.

#include <QByteArray>
#include <QPageLayout>
#include <QPrintPreviewDialog>

#include <memory>

class QPdfDocument;
class QPrinter;
class QTemporaryFile;

namespace engine {

class PrintPreviewWindow final : public QPrintPreviewDialog {
    Q_OBJECT
public:
    // Null when the PDF cannot be read; the window is not shown yet.
    static std::unique_ptr<PrintPreviewWindow> Create(const QByteArray &pdf,
                                                      const QPageLayout &layout, QWidget *parent);
    ~PrintPreviewWindow() override;
    PrintPreviewWindow(const PrintPreviewWindow &) = delete;
    PrintPreviewWindow &operator=(const PrintPreviewWindow &) = delete;

    int PageCount() const;

private:
    PrintPreviewWindow(std::unique_ptr<QPrinter> printer, QWidget *parent);
    // Paints every laid-out page onto the printer, one printer page each.
    void PaintPages(QPrinter *printer);

    std::unique_ptr<QPrinter> m_printer;
    std::unique_ptr<QTemporaryFile> m_file;
    std::unique_ptr<QPdfDocument> m_document;
};

} // namespace engine
