#pragma once
// The control's file and document commands beyond editing and zoom: print, print preview, page
// setup, save as, properties, and the document's command target (find, view source, Internet
// options). The windows they open are non-modal and belong to the control.

#include "platform/com/Variant.h"
#include "platform/engine/DocumentSnapshot.h"
#include "platform/engine/FindBar.h"

#include <QObject>
#include <QPageLayout>
#include <QPointer>

#include <functional>
#include <memory>

class QPrinter;
class QWebEnginePage;
class QWebEngineView;
class QWidget;

namespace engine {

class PrintPreviewWindow;

// Commands of the document's command target in group CGID_IWebBrowser.
constexpr DWORD HTMLID_FIND = 1;
constexpr DWORD HTMLID_VIEWSOURCE = 2;
constexpr DWORD HTMLID_OPTIONS = 3;

// The Internet-options command (document command 3) is shown by whoever installs a handler; the
// handler receives the control as the dialog's parent. Without one the command fails.
using InternetOptionsHandler = std::function<HRESULT(QWidget *parent)>;
void SetInternetOptionsHandler(InternetOptionsHandler handler);

// The printer OLECMDEXECOPT_DONTPROMPTUSER prints to: the system's default printer, or null when
// there is none. Replaceable so that a caller (or a test) can direct output to a PDF file.
using DefaultPrinterFactory = std::function<std::unique_ptr<QPrinter>()>;
void SetDefaultPrinterFactory(DefaultPrinterFactory factory);

class DocumentCommands final : public QObject {
    Q_OBJECT
public:
    DocumentCommands(QWebEngineView *view, QWidget *control);
    ~DocumentCommands() override;
    DocumentCommands(const DocumentCommands &) = delete;
    DocumentCommands &operator=(const DocumentCommands &) = delete;

    HRESULT Print(DWORD option);
    // Lays the page out and opens the preview window when the engine answers.
    HRESULT PrintPreview();
    HRESULT PageSetup(DWORD option);
    // `in` may carry the target file name; then, or with DONTPROMPTUSER, no dialog is shown.
    HRESULT SaveAs(DWORD option, const VARIANT *in);
    HRESULT Properties(const DocumentSnapshot &snapshot);
    HRESULT Find();
    HRESULT ViewSource();
    HRESULT InternetOptions();

    // The windows currently open (null when closed); for the host and tests.
    FindBar *FindBarWidget() const { return m_findBar; }
    QWidget *SourceWindow() const { return m_source; }
    QWidget *PropertiesWindow() const { return m_properties; }
    PrintPreviewWindow *PreviewWindow() const;
    const QPageLayout &Layout() const { return m_layout; }

signals:
    // A print job ended; false when the engine could not print.
    void PrintFinished(bool success);
    // The preview window opened, or (false) the page could not be laid out.
    void PreviewReady(bool success);

private:
    HRESULT StartPrint(std::shared_ptr<QPrinter> printer);
    QWebEnginePage *Page() const;

    QWebEngineView *m_view = nullptr; // the control's view
    QWidget *m_control = nullptr;     // parent of the windows
    QPageLayout m_layout;
    std::shared_ptr<QPrinter> m_printing; // kept alive until the engine reports the job's end
    QPointer<FindBar> m_findBar;
    QPointer<QWidget> m_source;
    QPointer<QWidget> m_properties;
    QPointer<PrintPreviewWindow> m_preview;
    bool m_previewPending = false;
};

} // namespace engine
