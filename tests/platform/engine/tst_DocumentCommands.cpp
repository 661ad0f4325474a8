// The control's print, page setup, save as and properties commands and its document command
// target (find bar, source window, Internet options) on the real engine.

#include "BrowserFixture.h"
#include "ShowsRed.h"

#include "platform/com/KnownGuids.h"
#include "platform/engine/DocumentCommands.h"
#include "platform/engine/EngineEnvironment.h"
#include "platform/engine/FindBar.h"
#include "platform/engine/PrintPreview.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPdfDocument>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPrinter>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QWebEngineDownloadRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>

#include <numeric>
#include <vector>

Q_DECLARE_METATYPE(GUID)

namespace {

// Saves a picture of a window when QM_SCREENSHOT_DIR names a folder, to look at by hand.
void Screenshot(QWidget *widget, const QString &name) {
    const QString dir = qEnvironmentVariable("QM_SCREENSHOT_DIR");
    if (!dir.isEmpty())
        widget->grab().save(dir + u'/' + name + u".png"_qs);
}

QByteArray ReadFile(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestDocumentCommands final : public QObject {
    Q_OBJECT
public:
    static void initMain() { engine::PrepareEngineEnvironment(); }

private slots:
    void init() { m_f = std::make_unique<BrowserFixture>(); }
    void cleanup() {
        m_f.reset();
        engine::SetDefaultPrinterFactory(nullptr);
        engine::SetInternetOptionsHandler(nullptr);
    }
    void fileCommandsNeedADocument_data();
    void fileCommandsNeedADocument();
    void printWithoutPromptUsesTheDefaultPrinter();
    void printPreviewShowsAndPrintsThePages();
    void saveAsWritesThePage();
    void silentSaveAsNeverOverwrites();
    void propertiesShowTheSnapshot();
    void findBarFindsTextAndEscCloses();
    void viewSourceShowsTheHtml();
    void commandTargetRoutesByGroupAndId_data();
    void commandTargetRoutesByGroupAndId();
    void internetOptionsReachTheHandler();
    void commandTargetQueryStatus();
    void documentIsTheCommandTargetWhileCurrent();

private:
    TWebBrowser &Browser() { return *m_f->browser; }
    void LoadText() { QCOMPARE(m_f->LoadUrl(Fixture(u"selectable.html"_qs)), u"text"_qs); }

    std::unique_ptr<BrowserFixture> m_f;
};

void TestDocumentCommands::fileCommandsNeedADocument_data() {
    QTest::addColumn<DWORD>("command");
    QTest::newRow("print") << OLECMDID_PRINT;
    QTest::newRow("print preview") << OLECMDID_PRINTPREVIEW;
    QTest::newRow("page setup") << OLECMDID_PAGESETUP;
    QTest::newRow("save as") << OLECMDID_SAVEAS;
    QTest::newRow("properties") << OLECMDID_PROPERTIES;
}

void TestDocumentCommands::fileCommandsNeedADocument() {
    QFETCH(DWORD, command);
    DWORD status = 0;
    QCOMPARE(Browser().QueryStatusWB(command, &status), S_OK);
    QCOMPARE(status, OLECMDF_SUPPORTED);
    QCOMPARE(Browser().ExecWB(command, OLECMDEXECOPT_DONTPROMPTUSER, nullptr, nullptr),
             OLECMDERR_E_DISABLED);
    LoadText();
    QCOMPARE(Browser().QueryStatusWB(command, &status), S_OK);
    QCOMPARE(status, OLECMDF_SUPPORTED | OLECMDF_ENABLED);
}

void TestDocumentCommands::printWithoutPromptUsesTheDefaultPrinter() {
    LoadText();
    // No default printer: a clear failure, not a silent success.
    engine::SetDefaultPrinterFactory([] { return std::unique_ptr<QPrinter>(); });
    QCOMPARE(Browser().ExecWB(OLECMDID_PRINT, OLECMDEXECOPT_DONTPROMPTUSER, nullptr, nullptr),
             E_FAIL);

    const QString pdf = m_f->platformDir.filePath(u"page.pdf"_qs);
    engine::SetDefaultPrinterFactory([pdf] {
        auto printer = std::make_unique<QPrinter>();
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(pdf);
        return printer;
    });
    QSignalSpy finished(&Browser().Commands(), &engine::DocumentCommands::PrintFinished);
    QCOMPARE(Browser().ExecWB(OLECMDID_PRINT, OLECMDEXECOPT_DONTPROMPTUSER, nullptr, nullptr),
             S_OK);
    QVERIFY(finished.wait(kLoadTimeout));
    QCOMPARE(finished.first().first().toBool(), true);
    QVERIFY(ReadFile(pdf).startsWith("%PDF"));
}

void TestDocumentCommands::printPreviewShowsAndPrintsThePages() {
    QCOMPARE(m_f->LoadUrl(Fixture(u"two-pages.html"_qs)), u"two pages"_qs);
    engine::DocumentCommands &commands = Browser().Commands();
    QSignalSpy ready(&commands, &engine::DocumentCommands::PreviewReady);
    QCOMPARE(Browser().ExecWB(OLECMDID_PRINTPREVIEW, OLECMDEXECOPT_DODEFAULT, nullptr, nullptr),
             S_OK);
    // A second request while the engine lays the page out is refused, not queued.
    QCOMPARE(Browser().ExecWB(OLECMDID_PRINTPREVIEW, OLECMDEXECOPT_DODEFAULT, nullptr, nullptr),
             OLECMDERR_E_DISABLED);
    QVERIFY(ready.wait(kLoadTimeout));
    QCOMPARE(ready.first().first().toBool(), true);
    const QPointer<engine::PrintPreviewWindow> preview = commands.PreviewWindow();
    QVERIFY(preview && preview->isVisible());
    QCOMPARE(preview->PageCount(), 2);

    // The page's red block is what the preview shows.
    QVERIFY(QTest::qWaitFor([&] { return ShowsRed(preview); }, kLoadTimeout));
    Screenshot(preview, u"print-preview"_qs);

    // Printing from the preview puts both pages on the printer.
    const QString pdf = m_f->platformDir.filePath(u"preview.pdf"_qs);
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    preview->PrintPages(&printer);
    QPdfDocument printed;
    QCOMPARE(printed.load(pdf), QPdfDocument::Error::None);
    QCOMPARE(printed.pageCount(), 2);

    // A new request replaces the open window.
    QCOMPARE(Browser().ExecWB(OLECMDID_PRINTPREVIEW, OLECMDEXECOPT_DODEFAULT, nullptr, nullptr),
             S_OK);
    QVERIFY(preview.isNull());
    QVERIFY(ready.wait(kLoadTimeout));
    QVERIFY(commands.PreviewWindow() && commands.PreviewWindow()->isVisible());
}

void TestDocumentCommands::saveAsWritesThePage() {
    LoadText();
    const QString path = m_f->platformDir.filePath(u"saved.html"_qs);
    Variant target(path.toStdString());
    QCOMPARE(Browser().ExecWB(OLECMDID_SAVEAS, OLECMDEXECOPT_DODEFAULT, &target, nullptr), S_OK);
    QVERIFY(QTest::qWaitFor([&] { return ReadFile(path).contains("Some text to select."); },
                            kLoadTimeout));

    Variant noFolder(m_f->platformDir.filePath(u"missing/saved.html"_qs).toStdString());
    QCOMPARE(Browser().ExecWB(OLECMDID_SAVEAS, OLECMDEXECOPT_DODEFAULT, &noFolder, nullptr),
             E_INVALIDARG);
}

void TestDocumentCommands::silentSaveAsNeverOverwrites() {
    // The documents folder of a home of the test's own.
    QTemporaryDir home;
    const QByteArray ownHome = qgetenv("HOME");
    qputenv("HOME", home.path().toUtf8());
    const auto restoreHome = qScopeGuard([&] { qputenv("HOME", ownHome); });
    QDir documents(home.path());
    QVERIFY(documents.mkdir(u"Documents"_qs) && documents.cd(u"Documents"_qs));
    QCOMPARE(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation), documents.path());
    // A file of the page's name, and the resource folder the second free name would write into.
    QFile existing(documents.filePath(u"text.html"_qs));
    QVERIFY(existing.open(QIODevice::WriteOnly) && existing.write("old bytes") == 9);
    existing.close();
    QVERIFY(documents.mkdir(u"text (2)_files"_qs));

    LoadText(); // titled "text"
    // The engine gives up a save still running when the next one starts: each is awaited.
    QList<QPointer<QWebEngineDownloadRequest>> saves;
    connect(Browser().findChild<QWebEnginePage *>()->profile(),
            &QWebEngineProfile::downloadRequested, this,
            [&](QWebEngineDownloadRequest *save) { saves.append(save); });
    const QStringList names{u"text (1).html"_qs, u"text (3).html"_qs};
    for (qsizetype i = 0; i < names.size(); ++i) {
        QCOMPARE(Browser().ExecWB(OLECMDID_SAVEAS, OLECMDEXECOPT_DONTPROMPTUSER, nullptr, nullptr),
                 S_OK);
        QTRY_VERIFY_WITH_TIMEOUT(saves.size() > i && saves[i] && saves[i]->isFinished(),
                                 kLoadTimeout);
        QCOMPARE(saves[i]->state(), QWebEngineDownloadRequest::DownloadCompleted);
        QCOMPARE(saves[i]->downloadFileName(), names[i]);
        QVERIFY(ReadFile(documents.filePath(names[i])).contains("Some text to select."));
    }
    QCOMPARE(ReadFile(documents.filePath(u"text.html"_qs)), QByteArray("old bytes"));
    QCOMPARE(QDir(documents.filePath(u"text (2)_files"_qs)).isEmpty(), true);
    QCOMPARE(documents.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             (QStringList{u"text (1).html"_qs, u"text (2)_files"_qs, u"text (3).html"_qs,
                          u"text.html"_qs}));
}

void TestDocumentCommands::propertiesShowTheSnapshot() {
    LoadText();
    QCOMPARE(Browser().ExecWB(OLECMDID_PROPERTIES, OLECMDEXECOPT_DODEFAULT, nullptr, nullptr),
             S_OK);
    QWidget *window = Browser().Commands().PropertiesWindow();
    QVERIFY(window && window->isVisible());
    QStringList shown;
    for (const QLabel *label : window->findChildren<QLabel *>())
        shown << label->text();
    QVERIFY(shown.contains(Fixture(u"selectable.html"_qs)));
    QVERIFY(shown.contains(u"text"_qs));
    QVERIFY(shown.contains(u"HTML ドキュメント"_qs));
    QVERIFY(shown.contains(Browser().Snapshot().lastModified));
    Screenshot(window, u"properties"_qs);
}

void TestDocumentCommands::findBarFindsTextAndEscCloses() {
    LoadText();
    QCOMPARE(
        Browser().ExecDocumentCommand(&CGID_IWebBrowser, engine::HTMLID_FIND, 0, nullptr, nullptr),
        S_OK);
    engine::FindBar *bar = Browser().Commands().FindBarWidget();
    QVERIFY(bar && bar->isVisible());
    QSignalSpy found(bar, &engine::FindBar::Found);
    for (const auto &[text, matches] : {std::pair{u"text"_qs, 1}, std::pair{u"absent"_qs, 0}}) {
        bar->Field()->setText(text);
        QTest::keyClick(bar->Field(), Qt::Key_Return);
        QVERIFY(found.wait(kLoadTimeout));
        QCOMPARE(found.takeLast().first().toInt(), matches);
    }
    bar->Field()->setText(u"text"_qs);
    bar->FindNext();
    QVERIFY(found.wait(kLoadTimeout));
    Screenshot(&Browser(), u"findbar"_qs);
    QTest::keyClick(bar, Qt::Key_Escape);
    QVERIFY(!bar->isVisible());
}

void TestDocumentCommands::viewSourceShowsTheHtml() {
    LoadText();
    QCOMPARE(Browser().ExecDocumentCommand(&CGID_IWebBrowser, engine::HTMLID_VIEWSOURCE, 0, nullptr,
                                           nullptr),
             S_OK);
    QVERIFY(QTest::qWaitFor([&] { return Browser().Commands().SourceWindow(); }, kLoadTimeout));
    auto *source = qobject_cast<QPlainTextEdit *>(Browser().Commands().SourceWindow());
    QVERIFY(source && source->isVisible() && source->isReadOnly());
    QVERIFY(source->toPlainText().contains(u"<p>Some text to select.</p>"_qs));
    QCOMPARE(source->windowTitle(),
             u"ソース - "_qs + QUrl(Fixture(u"selectable.html"_qs)).toDisplayString());
    Screenshot(source, u"source"_qs);
}

void TestDocumentCommands::commandTargetRoutesByGroupAndId_data() {
    QTest::addColumn<bool>("hasGroup");
    QTest::addColumn<GUID>("group");
    QTest::addColumn<DWORD>("command");
    QTest::addColumn<bool>("loaded");
    QTest::addColumn<HRESULT>("expected");
    // Without a group the standard commands are meant: 1 is OLECMDID_OPEN, which the control
    // does not offer.
    QTest::newRow("no group") << false << GUID{} << engine::HTMLID_FIND << true
                              << OLECMDERR_E_NOTSUPPORTED;
    QTest::newRow("other group") << true << CGID_DocHostCommandHandler << engine::HTMLID_FIND
                                 << true << OLECMDERR_E_UNKNOWNGROUP;
    QTest::newRow("unknown id") << true << CGID_IWebBrowser << DWORD(4) << true
                                << OLECMDERR_E_NOTSUPPORTED;
    QTest::newRow("find without document")
        << true << CGID_IWebBrowser << engine::HTMLID_FIND << false << OLECMDERR_E_DISABLED;
    QTest::newRow("source without document")
        << true << CGID_IWebBrowser << engine::HTMLID_VIEWSOURCE << false << OLECMDERR_E_DISABLED;
}

void TestDocumentCommands::commandTargetRoutesByGroupAndId() {
    QFETCH(bool, hasGroup);
    QFETCH(GUID, group);
    QFETCH(DWORD, command);
    QFETCH(bool, loaded);
    QFETCH(HRESULT, expected);
    if (loaded)
        LoadText();
    QCOMPARE(
        Browser().ExecDocumentCommand(hasGroup ? &group : nullptr, command, 0, nullptr, nullptr),
        expected);
    QVERIFY(!Browser().Commands().FindBarWidget());
    QVERIFY(!Browser().Commands().SourceWindow());
}

void TestDocumentCommands::internetOptionsReachTheHandler() {
    const auto exec = [&] {
        return Browser().ExecDocumentCommand(&CGID_IWebBrowser, engine::HTMLID_OPTIONS, 0, nullptr,
                                             nullptr);
    };
    QCOMPARE(exec(), E_NOTIMPL); // no handler installed: an explicit error
    QWidget *parent = nullptr;
    engine::SetInternetOptionsHandler([&](QWidget *p) {
        parent = p;
        return S_FALSE;
    });
    QCOMPARE(exec(), S_FALSE);
    QCOMPARE(parent, &Browser());
}

void TestDocumentCommands::commandTargetQueryStatus() {
    constexpr DWORD kSupported = OLECMDF_SUPPORTED;
    constexpr DWORD kEnabled = OLECMDF_SUPPORTED | OLECMDF_ENABLED;
    const auto query = [&](const GUID *group, std::vector<ULONG> ids) {
        std::vector<OLECMD> commands(ids.size());
        for (std::size_t i = 0; i < ids.size(); ++i)
            commands[i] = {ids[i], 0xFFFF};
        const HRESULT hr =
            Browser().QueryDocumentCommands(group, ULONG(ids.size()), commands.data());
        std::vector<DWORD> flags;
        for (const OLECMD &c : commands)
            flags.push_back(c.cmdf);
        return std::pair{hr, flags};
    };
    const std::vector<ULONG> ours{engine::HTMLID_FIND, engine::HTMLID_VIEWSOURCE,
                                  engine::HTMLID_OPTIONS, 99};
    QCOMPARE(query(&CGID_IWebBrowser, ours),
             std::pair(S_OK, std::vector<DWORD>{kSupported, kSupported, kEnabled, 0}));
    QCOMPARE(query(&CGID_DocHostCommandHandler, ours).first, OLECMDERR_E_UNKNOWNGROUP);
    QCOMPARE(Browser().QueryDocumentCommands(&CGID_IWebBrowser, 1, nullptr), E_POINTER);

    LoadText();
    QCOMPARE(query(&CGID_IWebBrowser, ours),
             std::pair(S_OK, std::vector<DWORD>{kEnabled, kEnabled, kEnabled, 0}));
    // No group: the standard commands, as QueryStatusWB answers them; all 101 ids can be asked.
    std::vector<ULONG> all(101);
    std::iota(all.begin(), all.end(), 0);
    const auto [hr, flags] = query(nullptr, all);
    QCOMPARE(hr, S_OK);
    QCOMPARE(flags[OLECMDID_PRINT], kEnabled);
    QCOMPARE(flags[OLECMDID_COPY], kSupported); // nothing selected
    QCOMPARE(flags[OLECMDID_SELECTALL], kEnabled);
    QCOMPARE(flags[OLECMDID_OPEN], DWORD(0));
    QCOMPARE(flags[100], DWORD(0));
}

void TestDocumentCommands::documentIsTheCommandTargetWhileCurrent() {
    LoadText();
    ComPtr<IOleCommandTarget> target;
    QCOMPARE(Browser().Document()->QueryInterface(
                 IID_IOleCommandTarget, reinterpret_cast<void **>(target.ReleaseAndGetAddressOf())),
             S_OK);
    // One object: the command target answers the document's identity.
    ComPtr<IUnknown> fromDocument, fromTarget;
    Browser().Document()->QueryInterface(
        IID_IUnknown, reinterpret_cast<void **>(fromDocument.ReleaseAndGetAddressOf()));
    target->QueryInterface(IID_IUnknown,
                           reinterpret_cast<void **>(fromTarget.ReleaseAndGetAddressOf()));
    QCOMPARE(fromDocument.Get(), fromTarget.Get());

    OLECMD source{engine::HTMLID_VIEWSOURCE, 0};
    QCOMPARE(target->QueryStatus(&CGID_IWebBrowser, 1, &source, nullptr), S_OK);
    QCOMPARE(source.cmdf, DWORD(OLECMDF_SUPPORTED | OLECMDF_ENABLED));
    QCOMPARE(target->Exec(&CGID_IWebBrowser, engine::HTMLID_VIEWSOURCE, OLECMDEXECOPT_PROMPTUSER,
                          nullptr, nullptr),
             S_OK);
    QVERIFY(QTest::qWaitFor([&] { return Browser().Commands().SourceWindow(); }, kLoadTimeout));

    // A document the control no longer shows commands nothing.
    QCOMPARE(m_f->LoadUrl(Fixture(u"two-pages.html"_qs)), u"two pages"_qs);
    QCOMPARE(target->Exec(&CGID_IWebBrowser, engine::HTMLID_FIND, OLECMDEXECOPT_PROMPTUSER, nullptr,
                          nullptr),
             E_ACCESSDENIED);
    QCOMPARE(target->QueryStatus(&CGID_IWebBrowser, 1, &source, nullptr), E_ACCESSDENIED);
    QVERIFY(!Browser().Commands().FindBarWidget());
}

QTEST_MAIN(TestDocumentCommands)
#include "tst_DocumentCommands.moc"
