#include "platform/engine/DocumentCommands.h"

#include "platform/engine/EngineConstants.h"
#include "platform/engine/FileNames.h"
#include "platform/engine/FindBar.h"
#include "platform/engine/PrintPreview.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFormLayout>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QPageSetupDialog>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QStandardPaths>
#include <QWebEnginePage>
#include <QWebEngineView>

Q_DECLARE_LOGGING_CATEGORY(lcBrowser)

namespace engine {
namespace {

// The engine keeps a complete page's resources in "<name without extension>_files" beside it.
constexpr char16_t kResourceFolderSuffix[] = u"_files";

InternetOptionsHandler &OptionsHandler() {
    static InternetOptionsHandler handler;
    return handler;
}

std::unique_ptr<QPrinter> SystemDefaultPrinter() {
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        return nullptr;
    return std::make_unique<QPrinter>(info, QPrinter::HighResolution);
}

DefaultPrinterFactory &PrinterFactory() {
    static DefaultPrinterFactory factory = SystemDefaultPrinter;
    return factory;
}

// The user's documents folder, where a page is saved unless a path is given.
QString DocumentsFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

QString SuggestedSavePath(const QWebEnginePage *page) {
    return QDir(DocumentsFolder()).filePath(PageFileName(page->title(), page->url()));
}

// A page saved as .mht keeps its resources in one file; anything else is the HTML with its
// resources in a folder beside it.
QWebEngineDownloadRequest::SavePageFormat FormatFor(const QString &path) {
    return path.endsWith(u".mht"_qs, Qt::CaseInsensitive) ||
                   path.endsWith(u".mhtml"_qs, Qt::CaseInsensitive)
               ? QWebEngineDownloadRequest::MimeHtmlSaveFormat
               : QWebEngineDownloadRequest::CompleteHtmlSaveFormat;
}

// The type shown in the properties window, by the address's file name extension.
QString TypeName(const QUrl &url) {
    const QString suffix = QFileInfo(url.path()).suffix().toLower();
    if (suffix.isEmpty() || suffix == u"html"_qs || suffix == u"htm"_qs || suffix == u"shtml"_qs)
        return u"HTML ドキュメント"_qs;
    return suffix.toUpper() + u" ファイル"_qs;
}

} // namespace

void SetInternetOptionsHandler(InternetOptionsHandler handler) {
    OptionsHandler() = std::move(handler);
}

void SetDefaultPrinterFactory(DefaultPrinterFactory factory) {
    PrinterFactory() = factory ? std::move(factory) : SystemDefaultPrinter;
}

DocumentCommands::DocumentCommands(QWebEngineView *view, QWidget *control)
    : QObject(control), m_view(view), m_control(control),
      m_layout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 15, 15, 15),
               QPageLayout::Millimeter) {
    connect(m_view, &QWebEngineView::printFinished, this, [this](bool success) {
        m_printing.reset();
        if (!success)
            qCWarning(lcBrowser, "printing the page failed");
        emit PrintFinished(success);
    });
}

DocumentCommands::~DocumentCommands() {
    delete m_source;
    delete m_properties;
    delete m_preview;
}

QWebEnginePage *DocumentCommands::Page() const {
    return m_view->page();
}

HRESULT DocumentCommands::StartPrint(std::shared_ptr<QPrinter> printer) {
    if (m_printing)
        return OLECMDERR_E_DISABLED; // one job at a time; the engine prints asynchronously
    printer->setPageLayout(m_layout);
    m_printing = std::move(printer);
    m_view->print(m_printing.get());
    return S_OK;
}

HRESULT DocumentCommands::Print(DWORD option) {
    if (option == OLECMDEXECOPT_DONTPROMPTUSER) {
        std::unique_ptr<QPrinter> printer = PrinterFactory()();
        if (!printer) {
            qCWarning(lcBrowser, "there is no default printer to print to");
            return E_FAIL;
        }
        return StartPrint(std::move(printer));
    }
    auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
    printer->setPageLayout(m_layout);
    auto *dialog = new QPrintDialog(printer.get(), m_control);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [this, printer] {
        m_layout = printer->pageLayout();
        StartPrint(printer);
    });
    dialog->open();
    return S_OK;
}

PrintPreviewWindow *DocumentCommands::PreviewWindow() const {
    return m_preview;
}

HRESULT DocumentCommands::PrintPreview() {
    if (m_previewPending)
        return OLECMDERR_E_DISABLED; // the engine is still laying the page out
    m_previewPending = true;
    delete m_preview;
    const QPointer<DocumentCommands> self(this);
    const QPageLayout layout = m_layout;
    Page()->printToPdf(
        [self, layout](const QByteArray &pdf) {
            if (!self)
                return;
            self->m_previewPending = false;
            std::unique_ptr<PrintPreviewWindow> window =
                PrintPreviewWindow::Create(pdf, layout, self->m_control);
            if (!window) {
                qCWarning(lcBrowser, "the page could not be laid out for the print preview");
                emit self->PreviewReady(false);
                return;
            }
            window->setAttribute(Qt::WA_DeleteOnClose);
            self->m_preview = window.release(); // owned by the control from here on
            self->m_preview->open();
            emit self->PreviewReady(true);
        },
        layout);
    return S_OK;
}

HRESULT DocumentCommands::PageSetup(DWORD option) {
    if (option == OLECMDEXECOPT_DONTPROMPTUSER)
        return S_OK; // nothing to change without the user
    auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
    printer->setPageLayout(m_layout);
    auto *dialog = new QPageSetupDialog(printer.get(), m_control);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this,
            [this, printer] { m_layout = printer->pageLayout(); });
    dialog->open();
    return S_OK;
}

HRESULT DocumentCommands::SaveAs(DWORD option, const VARIANT *in) {
    const QString given = in && !in->IsEmpty()
                              ? QString::fromStdString(in->ToString().value_or(std::string()))
                              : QString();
    if (!given.isEmpty()) {
        if (!QFileInfo(given).absoluteDir().exists()) {
            qCWarning(lcBrowser, "cannot save the page: no folder for %s", qPrintable(given));
            return E_INVALIDARG;
        }
        Page()->save(given, FormatFor(given));
        return S_OK;
    }
    if (option == OLECMDEXECOPT_DONTPROMPTUSER) {
        // Under a name of its own: neither an existing file nor a resource folder is written to.
        const QString documents = DocumentsFolder();
        if (documents.isEmpty() || !QFileInfo(documents).isDir()) {
            qCWarning(lcBrowser, "cannot save the page: no documents folder %s",
                      qPrintable(documents));
            return E_INVALIDARG;
        }
        const std::optional<QString> path =
            ReserveUniqueFile(QDir(documents), PageFileName(Page()->title(), Page()->url()),
                              QString::fromUtf16(kResourceFolderSuffix));
        if (!path)
            return E_FAIL;
        Page()->save(*path, FormatFor(*path));
        return S_OK;
    }
    auto *dialog = new QFileDialog(m_control, u"名前を付けて保存"_qs, SuggestedSavePath(Page()),
                                   u"Web ページ、完全 (*.html *.htm);;Web アーカイブ (*.mht)"_qs);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<QWebEnginePage> page(Page());
    connect(dialog, &QFileDialog::fileSelected, this, [page](const QString &path) {
        if (page && !path.isEmpty())
            page->save(path, FormatFor(path));
    });
    dialog->open();
    return S_OK;
}

HRESULT DocumentCommands::Properties(const DocumentSnapshot &snapshot) {
    delete m_properties;
    auto *window = new QWidget(m_control, Qt::Window);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setObjectName(u"propertiesWindow"_qs);
    window->setWindowTitle(u"プロパティ"_qs);
    auto *form = new QFormLayout(window);
    const auto addRow = [&](const QString &label, const QString &value) {
        auto *field = new QLabel(value.isEmpty() ? u"利用できません"_qs : value, window);
        field->setTextInteractionFlags(Qt::TextSelectableByMouse);
        field->setWordWrap(true);
        form->addRow(label, field);
    };
    addRow(u"タイトル:"_qs, snapshot.title);
    addRow(u"種類:"_qs, TypeName(QUrl(snapshot.url)));
    addRow(u"アドレス (URL):"_qs, snapshot.url);
    addRow(u"サイズ:"_qs,
           snapshot.fileSize.isEmpty() ? QString() : snapshot.fileSize + u" バイト"_qs);
    addRow(u"作成日時:"_qs, snapshot.fileCreatedDate);
    addRow(u"更新日時:"_qs, snapshot.fileModifiedDate);
    addRow(u"最終更新:"_qs, snapshot.lastModified);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, window);
    buttons->button(QDialogButtonBox::Close)->setText(u"閉じる"_qs);
    connect(buttons, &QDialogButtonBox::rejected, window, &QWidget::close);
    form->addRow(buttons);
    window->resize(420, window->sizeHint().height());
    m_properties = window;
    window->show();
    return S_OK;
}

HRESULT DocumentCommands::Find() {
    if (!m_findBar) {
        m_findBar = new FindBar(Page(), m_control);
        m_control->layout()->addWidget(m_findBar);
    }
    m_findBar->show();
    m_findBar->Field()->setFocus();
    m_findBar->Field()->selectAll();
    return S_OK;
}

HRESULT DocumentCommands::ViewSource() {
    const QString url = Page()->url().toDisplayString();
    QPointer<DocumentCommands> self(this);
    Page()->toHtml([self, url](const QString &html) {
        if (!self)
            return;
        delete self->m_source;
        auto *editor = new QPlainTextEdit(self->m_control);
        editor->setWindowFlag(Qt::Window);
        editor->setAttribute(Qt::WA_DeleteOnClose);
        editor->setObjectName(u"sourceWindow"_qs);
        editor->setWindowTitle(u"ソース - "_qs + url);
        editor->setReadOnly(true);
        editor->setLineWrapMode(QPlainTextEdit::NoWrap);
        editor->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        editor->setPlainText(html);
        editor->resize(640, 480);
        self->m_source = editor;
        editor->show();
        editor->moveCursor(QTextCursor::Start);
        editor->ensureCursorVisible();
    });
    return S_OK;
}

HRESULT DocumentCommands::InternetOptions() {
    if (!OptionsHandler()) {
        qCWarning(lcBrowser, "no Internet options handler is installed");
        return E_NOTIMPL;
    }
    return OptionsHandler()(m_control);
}

} // namespace engine
