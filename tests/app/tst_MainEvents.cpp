// The main window's browser events on the real host control (offscreen, no page loaded unless a
// test says so): page messages, the bars the page asks for, progress, per-page state, the zone
// policy with the platform security manager, and the status bar's panel hints.

#include "app/ImageList.h"
#include "app/Main.h"
#include "app/MainUnit.h"
#include "app/StatusPanels.h"
#include "host/WebBrowserSecure.h"
#include "options/appoption.h"
#include "platform/engine/EngineEnvironment.h"
#include "platform/urlmon/UrlActions.h"
#include "policy/LocalBrowseSettings.h"
#include "tests/support/FixtureSite.h"
#include "tests/support/FreshPlatformDir.h"

#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QHelpEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>

#include <memory>
#include <string>

namespace {

std::u16string Wide(const QString &text) {
    return text.toStdU16String();
}

// A paint device that records where pictures and texts are drawn.
class TRecordingEngine final : public QPaintEngine {
public:
    TRecordingEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState &state) override {
        if (state.state() & DirtyTransform)
            FTransform = state.transform();
    }
    void drawPixmap(const QRectF &r, const QPixmap &, const QRectF &) override { Record(r); }
    void drawImage(const QRectF &r, const QImage &, const QRectF &,
                   Qt::ImageConversionFlags) override {
        Record(r);
    }
    void drawPolygon(const QPointF *points, int count, PolygonDrawMode) override {
        Record(QPolygonF(QList<QPointF>(points, points + count)).boundingRect());
    }
    void drawPath(const QPainterPath &path) override { Record(path.boundingRect()); }
    void drawTextItem(const QPointF &p, const QTextItem &item) override {
        Texts << qMakePair(p, item.text());
    }
    Type type() const override { return User; }

    QRectF Pictures; // what all shapes and pictures cover
    QList<QPair<QPointF, QString>> Texts;

private:
    void Record(const QRectF &r) { Pictures |= FTransform.mapRect(r); }
    QTransform FTransform;
};

class TRecordingDevice final : public QPaintDevice {
public:
    QPaintEngine *paintEngine() const override { return &Engine; }
    int metric(PaintDeviceMetric metric) const override {
        switch (metric) {
        case PdmWidth:
            return 200;
        case PdmHeight:
            return 30;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 96;
        case PdmDepth:
            return 32;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        default:
            return 0;
        }
    }
    mutable TRecordingEngine Engine;
};

} // namespace

class TestMainEvents final : public QObject {
    Q_OBJECT
public:
    static void initMain() { engine::PrepareEngineEnvironment(); }

private slots:
    void initTestCase() {
        QVERIFY(FPlatform.isValid() && FWeb.isValid());
        appoption::Initialize();
        InitializeMainUnit();
    }
    void cleanupTestCase() {
        FinalizeMainUnit();
        appoption::Finalize();
    }
    void init() {
        FForm = std::make_unique<TForm1>();
        FForm->FormCreate({}, true);
        FForm->resize(TForm1::LayoutWidth, TForm1::LayoutHeight);
    }
    void cleanup() { FForm.reset(); }

    // OK-only page messages go to the strip when the option is off; the page gets 1.
    void showMessage_data() {
        QTest::addColumn<bool>("option");
        QTest::addColumn<uint>("type");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("handled");
        QTest::addColumn<bool>("stripShown");
        QTest::newRow("alert, option off") << false << 0u << u"保存しました"_qs << true << true;
        QTest::newRow("alert with icon bits") << false << 0x30u << u"注意"_qs << true << true;
        QTest::newRow("empty alert") << false << 0u << QString() << true << false;
        QTest::newRow("confirm stays a dialog")
            << false << 1u << u"よろしいですか"_qs << false << false;
        QTest::newRow("option on") << true << 0u << u"保存しました"_qs << false << false;
    }
    void showMessage() {
        QFETCH(bool, option);
        QFETCH(uint, type);
        QFETCH(QString, text);
        QFETCH(bool, handled);
        QFETCH(bool, stripShown);
        AppOption->SetShowMessage(option);
        std::u16string wide = Wide(text);
        LRESULT result = 0;
        bool wasHandled = false;
        Host()->OnShowMessage(Host(), nullptr, wide.data(), nullptr, type, nullptr, 0, result,
                              wasHandled);
        AppOption->SetShowMessage(true);
        QCOMPARE(wasHandled, handled);
        QCOMPARE(result, LRESULT(handled ? 1 : 0));
        QCOMPARE(!FForm->txtMessage->isHidden(), stripShown);
        if (stripShown)
            QCOMPARE(FForm->txtMessage->text(), text);
    }

    // The menu item and the page's request both show or hide the bar and store the choice.
    void statusBarToggle() {
        FForm->StatusBar3->trigger(); // checked -> hidden
        QVERIFY(FForm->StatusBar1->isHidden());
        QVERIFY(!FForm->StatusBar3->isChecked());
        QCOMPARE(MainIniReader->ReadBool("Window", "StatusBar", true), false);
        Host()->OnStatusBar(Host(), true);
        QVERIFY(!FForm->StatusBar1->isHidden());
        QVERIFY(FForm->StatusBar3->isChecked());
        QCOMPARE(MainIniReader->ReadBool("Window", "StatusBar", false), true);
    }

    // The page's tool bar request shows and hides the bands the layout shows, never the hidden
    // developer and animation bands.
    void barRequests() {
        const QList<QToolBar *> shown{FForm->ToolBar3, FForm->CoolBand2, FForm->ToolBar1};
        Host()->OnToolBar(Host(), false);
        for (QToolBar *band : shown)
            QVERIFY2(band->isHidden(), qPrintable(band->objectName()));
        Host()->OnMenuBar(Host(), false);
        QVERIFY(FForm->MainMenu1->isHidden());
        Host()->OnToolBar(Host(), true);
        Host()->OnMenuBar(Host(), true);
        for (QToolBar *band : shown)
            QVERIFY2(!band->isHidden(), qPrintable(band->objectName()));
        QVERIFY(FForm->ToolBar2->isHidden() && FForm->CoolBand4->isHidden());
        QVERIFY(!FForm->MainMenu1->isHidden());
    }

    // The strip is as wide as Panel1 and follows it; the window can still be made narrower.
    void messageStripFollowsThePanel() {
        FForm->show();
        QVERIFY(QTest::qWaitForWindowExposed(FForm.get()));
        AppOption->SetShowMessage(false);
        std::u16string text = Wide(u"保存しました"_qs);
        LRESULT result = 0;
        bool handled = false;
        Host()->OnShowMessage(Host(), nullptr, text.data(), nullptr, 0, nullptr, 0, result,
                              handled);
        AppOption->SetShowMessage(true);
        QTRY_COMPARE(FForm->txtMessage->width(), FForm->Panel1->width());
        FForm->resize(400, TForm1::LayoutHeight);
        QTRY_COMPARE(FForm->width(), 400);
        QTRY_COMPARE(FForm->txtMessage->width(), FForm->Panel1->width());
        QVERIFY(FForm->Panel1->width() <= 400);
    }

    // Refresh starts the busy display before the page state is reset.
    void refreshStartsTheBusyDisplay() {
        FForm->CurrentZone = 4;
        FForm->SecurityCategories.set(scScript);
        FForm->txtMessage->setText(u"前のページ"_qs);
        FForm->txtMessage->setVisible(true);
        FForm->ToolButton1Click();
        QVERIFY(!FForm->ProgressBar1->isHidden());
        QVERIFY(FForm->txtMessage->isHidden() && FForm->txtMessage->text().isEmpty());
        QCOMPARE(FForm->CurrentZone, -1);
        QVERIFY(FForm->SecurityCategories.none());
    }

    // A frame's NavigateComplete2 also puts the engine's location, the top-level page's, into
    // the address box.
    void navigateCompleteOfAFrame() {
        FForm->ComboBox1->setEditText(u"typed"_qs);
        Host()->OnNavigateComplete2(Host(), nullptr, u"http://frame.example/"_qs);
        QCOMPARE(FForm->ComboBox1->currentText(), Host()->LocationURL());
    }

    // Assistive technology reads each panel as what it shows, described by its tooltip, and
    // the progress bar by its name.
    void panelsAreNamed() {
        FForm->show();
        QVERIFY(QTest::qWaitForWindowExposed(FForm.get()));
        FForm->PageDateText = u"2024/05/06 12:00:00"_qs;
        FForm->SecurityCategories.set(scScript);
        FForm->SecurityCategories.set(scCookie);
        FForm->CurrentZone = 3;
        Host()->OnStatusTextChange(Host(), u"読み込み中"_qs);
        FForm->StatusBar1->repaint();
        const auto read = [](QWidget *widget, QAccessible::Text text) {
            QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget);
            return accessible ? accessible->text(text) : QString();
        };
        const QStringList names{QString(), u"スクリプトCookie"_qs, u"読み込み中"_qs,
                                FForm->ZoneNames.at(3)};
        const QStringList descriptions{u"ページの更新日時 2024/05/06 12:00:00"_qs,
                                       u"セキュリティ項目スクリプトCookie"_qs,
                                       u"ステータス読み込み中"_qs, u"セキュリティーゾーン"_qs};
        for (int i = 0; i < 4; ++i) {
            QWidget *panel = FForm->StatusBar1->Panel(i);
            QCOMPARE(read(panel, QAccessible::Name), names.at(i));
            QCOMPARE(read(panel, QAccessible::Description), descriptions.at(i));
            QCOMPARE(QAccessible::queryAccessibleInterface(panel)->role(), QAccessible::StaticText);
        }
        QCOMPARE(read(FForm->ProgressBar1, QAccessible::Name), u"進行状況"_qs);
        Host()->OnProgressChange(Host(), 1, 4);
        QCOMPARE(read(FForm->ProgressBar1, QAccessible::Description), u"進行状況 25%"_qs);
    }

    // Position truncates toward zero; progress beyond the maximum or no maximum changes nothing
    // but the busy display.
    void progress_data() {
        QTest::addColumn<int>("progress");
        QTest::addColumn<int>("progressMax");
        QTest::addColumn<int>("position");
        QTest::addColumn<bool>("busy");
        QTest::newRow("a third") << 1 << 3 << 33 << true;
        QTest::newRow("complete") << 10000 << 10000 << 100 << true;
        QTest::newRow("past the maximum") << 7 << 5 << 0 << true;
        QTest::newRow("large values") << 2000000000 << 2000000000 << 100 << true;
        QTest::newRow("no maximum") << 5 << 0 << 0 << false;
        QTest::newRow("finished (-1)") << -1 << 100 << 0 << false;
    }
    void progress() {
        QFETCH(int, progress);
        QFETCH(int, progressMax);
        QFETCH(int, position);
        QFETCH(bool, busy);
        StartTopLevelNavigation();
        Host()->OnProgressChange(Host(), progress, progressMax);
        QCOMPARE(FForm->ProgressBar1->value(), position);
        QCOMPARE(!FForm->ProgressBar1->isHidden(), busy);
        if (position > 0)
            QCOMPARE(FForm->ProgressBar1->toolTip(),
                     u"進行状況 "_qs + QString::number(position) + u'%');
    }

    // A frame's navigation leaves the page state; the top-level one resets it and the strip.
    void beforeNavigateResetsOnlyTopLevel() {
        FForm->CurrentZone = 4;
        FForm->SecurityCategories.set(scScript);
        FForm->PageDateText = u"2024/01/02"_qs;
        FForm->txtMessage->setText(u"前のページ"_qs);
        FForm->txtMessage->setVisible(true);
        bool cancel = false;
        Host()->OnBeforeNavigate2(Host(), nullptr, u"about:blank"_qs, 0, {}, {}, {}, cancel);
        QCOMPARE(FForm->CurrentZone, 4);
        QVERIFY(FForm->SecurityCategories.any());
        QVERIFY(!FForm->txtMessage->isHidden());
        StartTopLevelNavigation();
        QCOMPARE(FForm->CurrentZone, -1);
        QVERIFY(FForm->SecurityCategories.none());
        QVERIFY(FForm->PageDateText.isEmpty());
        QVERIFY(FForm->txtMessage->isHidden() && FForm->txtMessage->text().isEmpty());
        QVERIFY(!cancel);
    }

    // Actions are recorded by category and always left to the platform.
    void processUrlActionRecordsCategories() {
        for (DWORD action : {URLACTION_SCRIPT_RUN, URLACTION_SCRIPT_RUN, URLACTION_COOKIES}) {
            bool handled = true;
            const HRESULT hr = Host()->OnProcessUrlAction(Host(), u"http://a.example/"_qs, action,
                                                          nullptr, 0, nullptr, 0, 0, 0, handled);
            QCOMPARE(hr, INET_E_DEFAULT_ACTION);
            QVERIFY(!handled);
        }
        TSecurityCategories expected;
        expected.set(scScript);
        expected.set(scCookie);
        QCOMPARE(FForm->SecurityCategories, expected);
    }

    // Local files: inside the directory by their Internet address when asked, otherwise and
    // outside the directory the fixed zone; hostile paths never gain trust.
    void mapUrlToZone_data() {
        QTest::addColumn<bool>("useOriginal");
        QTest::addColumn<QString>("relative");
        QTest::addColumn<int>("zone");
        QTest::newRow("restricted host by its address")
            << true << u"restricted.example/a.html"_qs << 4;
        QTest::newRow("fixed zone when not by address")
            << false << u"restricted.example/a.html"_qs << 3;
        QTest::newRow("outside the directory") << true << u"../outside.html"_qs << 3;
        QTest::newRow("dot segments climbing out")
            << true << u"restricted.example/../../x.html"_qs << 3;
        QTest::newRow("encoded separator stays in its host")
            << true << u"restricted.example%2Fa.html"_qs << 4;
        QTest::newRow("directory name as a prefix")
            << true << u"../@x/restricted.example/a.html"_qs << 3;
    }
    void mapUrlToZone() {
        QFETCH(bool, useOriginal);
        QFETCH(QString, relative);
        QFETCH(int, zone);
        AddRestrictedSite();
        QVERIFY(FForm->SetLocalWebDirectory(FWeb.path()));
        FForm->SetUseOrginalUrl(useOriginal);
        FForm->SetDefaultSecurityZone(3);
        relative.replace(u'@', QFileInfo(FWeb.path()).fileName()); // a sibling named like it
        const std::u16string url = Wide(u"file://"_qs + FWeb.path() + u'/' + relative);
        DWORD mapped = 99;
        bool handled = false;
        const HRESULT hr = Host()->OnMapUrlToZone(Host(), url.c_str(), mapped, 0, handled);
        QVERIFY(SUCCEEDED(hr) || hr == INET_E_DEFAULT_ACTION);
        if (handled)
            QCOMPARE(int(mapped), zone);
        QCOMPARE(FForm->ZoneForUrl(QString::fromStdU16String(url)), zone);
    }

    // The security identifier is only written into a buffer that can hold it.
    void securityIdBuffer_data() {
        QTest::addColumn<uint>("size");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("too small") << 3u << false;
        QTest::newRow("ample") << 512u << true;
    }
    void securityIdBuffer() {
        QFETCH(uint, size);
        QFETCH(bool, accepted);
        QVERIFY(FForm->SetLocalWebDirectory(FWeb.path()));
        FForm->SetUseOrginalUrl(false);
        const std::u16string url = Wide(u"file://"_qs + FWeb.path() + u"/h.example/a.html"_qs);
        QByteArray buffer(int(size) + 8, '\x5A');
        DWORD length = size;
        bool handled = false;
        const HRESULT hr = Host()->OnGetSecurityId(
            Host(), url.c_str(), reinterpret_cast<BYTE *>(buffer.data()), length, 0, handled);
        QVERIFY(buffer.mid(int(size)) == QByteArray(8, '\x5A')); // nothing past the buffer
        if (!accepted)
            QVERIFY(!handled || FAILED(hr));
    }

    // Panel hints follow the mouse position over the four panels.
    void panelHints_data() {
        QTest::addColumn<int>("x");
        QTest::addColumn<QString>("hint");
        QTest::newRow("page date") << 10 << u"ページの更新日時 2024/05/06 12:00"_qs;
        QTest::newRow("categories") << 130 << u"セキュリティ項目スクリプト"_qs;
        QTest::newRow("status text") << 300 << u"ステータス読み込み中"_qs;
        QTest::newRow("zone") << TForm1::LayoutWidth - 20 << u"セキュリティーゾーン"_qs;
    }
    void panelHints() {
        QFETCH(int, x);
        QFETCH(QString, hint);
        FForm->show();
        QVERIFY(QTest::qWaitForWindowExposed(FForm.get()));
        FForm->PageDateText = u"2024/05/06 12:00"_qs;
        FForm->SecurityCategories.set(scScript);
        Host()->OnStatusTextChange(Host(), u"読み込み中"_qs);
        const QPoint at(x, FForm->StatusBar1->height() / 2);
        QHelpEvent event(QEvent::ToolTip, at, FForm->StatusBar1->mapToGlobal(at));
        QApplication::sendEvent(FForm->StatusBar1, &event);
        QCOMPARE(FForm->StatusBar1->toolTip(), hint);
    }

    // The zone panel draws the zone's icon at its top left and the name's cell right beside it,
    // two pixels down.
    void zonePanelPositions() {
        FForm->CurrentZone = 3;
        TRecordingDevice device;
        const QRect rect(10, 1, 118, 20);
        {
            QPainter painter(&device);
            FForm->StatusBar1->Panel(3)->OnDrawPanel(painter, rect);
        }
        const QSize icon = FForm->imgSecurityZone->Size();
        const QRectF drawn = device.Engine.Pictures;
        QVERIFY(!drawn.isEmpty());
        QVERIFY2(QRectF(QRect(rect.topLeft(), icon)).adjusted(-0.5, -0.5, 0.5, 0.5).contains(drawn),
                 qPrintable(u"%1,%2 %3x%4"_qs.arg(drawn.x())
                                .arg(drawn.y())
                                .arg(drawn.width())
                                .arg(drawn.height())));
        QCOMPARE(device.Engine.Texts.size(), 1);
        QCOMPARE(device.Engine.Texts.first().second, FForm->ZoneNames.at(3));
        // Where the name's cell at (left + icon width, top + 2) puts its baseline.
        TRecordingDevice reference;
        {
            QPainter painter(&reference);
            painter.drawText(QRect(rect.left() + icon.width(), rect.top() + 2, 100, 30),
                             Qt::AlignLeft | Qt::AlignTop, FForm->ZoneNames.at(3));
        }
        QCOMPARE(device.Engine.Texts.first().first, reference.Engine.Texts.first().first);
    }

    // Every log line of one frameset page load, in order, as the event log writes them; each
    // also reaches DebugTrace. How often the engine reports progress, and asks the zone of one
    // address in a row, is the engine's affair: progress lines are checked for their form and
    // counted as one, a repeated zone line as one.
    void framesetLoadLogLines() {
        const QString top =
            WritePage(u"top.html"_qs, "<title>枠</title><frameset cols='50%,50%'>"
                                      "<frame src='left.html'><frame src='right.html'>"
                                      "</frameset>");
        const QString left = WritePage(u"left.html"_qs, "<p>left");
        const QString right = WritePage(u"right.html"_qs, "<p>right");
        FForm->SetDefaultSecurityZone(3);
        QStringList traced;
        SetDebugTraceSink([&traced](const QString &text) { traced << text; });
        FForm->show();
        Host()->Navigate(top);
        const QString done = u"Document Complete:"_qs + top + u" State 4 Busy 0"_qs;
        QTRY_VERIFY_WITH_TIMEOUT(traced.contains(done), 30000);
        SetDebugTraceSink({});

        QStringList lines;
        static const QRegularExpression progress(u"^Progress: -?\\d+/\\d+State=[0-4]$"_qs);
        for (const QString &line : std::as_const(traced)) {
            if (line.startsWith(u"zoneIndex="_qs) || line.startsWith(u"Action=0x"_qs))
                continue; // trace texts of the zone panel and the policy, not log lines
            QString entry = line;
            if (line.startsWith(u"Progress"_qs)) {
                QVERIFY2(progress.match(line).hasMatch(), qPrintable(line));
                entry = u"Progress"_qs;
            }
            if (lines.isEmpty() || lines.last() != entry ||
                !(entry == u"Progress"_qs || entry.startsWith(u"URL="_qs)))
                lines << entry;
        }
        const QString zone = u" Zone=3 Handled=1"_qs;
        const QStringList expected{
            u"Before Navi"_qs + top,
            u"URL="_qs + top + zone,
            u"Prop: Busy"_qs,
            u"Download begin 1"_qs,
            u"Progress"_qs,
            u"Navi Complete:"_qs + top,
            u"Title Change "_qs + top + u"top.html"_qs, // the engine's title until the page's
            u"   TITLE=top.html"_qs,
            u"Progress"_qs,
            u"Title Change "_qs + top + u"枠"_qs,
            u"   TITLE=枠"_qs,
            u"URL="_qs + top + zone, // the page meets its frames: asked again for the page
            u"URL="_qs + left + zone,
            u"Before Navi"_qs + left,
            u"URL="_qs + right + zone,
            u"Before Navi"_qs + right,
            u"Progress"_qs,
            u"Prop: Busy"_qs,
            u"Download Comlete "_qs + top + u"4 0"_qs,
            u"Document Complete:"_qs + left + u" State 3 Busy 0"_qs,
            u"Document Complete:"_qs + right + u" State 3 Busy 0"_qs,
            done,
        };
        QCOMPARE(lines.join(u'\n'), expected.join(u'\n'));
        QCOMPARE(FForm->ComboBox1->currentText(), top);
    }

    // A 16-bit boolean of the engine is written as -1 for true.
    void busyIsWrittenAsMinusOne() {
        QStringList traced;
        SetDebugTraceSink([&traced](const QString &text) { traced << text; });
        Host()->Navigate(WritePage(u"busy.html"_qs, "<p>busy"));
        QTRY_VERIFY_WITH_TIMEOUT(Host()->Busy(), 30000);
        Host()->OnDownloadComplete(Host());
        SetDebugTraceSink({});
        QCOMPARE(traced.last(), u"Download Comlete "_qs + Host()->LocationURL() +
                                    QString::number(Host()->ReadyState()) + u" -1"_qs);
    }

    // Real pages from a local web directory: the script runs only under the fixed Internet zone;
    // the status bar shows the zone and the script picture (saved for looking at).
    void localPageEndToEnd_data() {
        QTest::addColumn<bool>("useOriginal");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("zone");
        QTest::newRow("by Internet address") << true << u"保存ページ"_qs << 4;
        QTest::newRow("fixed zone") << false << u"スクリプト実行"_qs << 3;
    }
    void localPageEndToEnd() {
        QFETCH(bool, useOriginal);
        QFETCH(QString, title);
        QFETCH(int, zone);
        AddRestrictedSite();
        QVERIFY(QDir(FWeb.path()).mkpath(u"restricted.example"_qs));
        QFile page(FWeb.filePath(u"restricted.example/index.html"_qs));
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.write(u"<html><head><meta charset='utf-8'><title>保存ページ</title></head><body>"
                   "<script>document.title='スクリプト実行';</script><p>保存ページ</body></html>"_qs
                       .toUtf8());
        page.close();
        QVERIFY(FForm->SetLocalWebDirectory(FWeb.path()));
        FForm->SetUseOrginalUrl(useOriginal);
        FForm->SetDefaultSecurityZone(3);
        FForm->show();
        QVERIFY(QTest::qWaitForWindowExposed(FForm.get()));
        Host()->Navigate2(QUrl::fromLocalFile(page.fileName()).toString());
        QTRY_VERIFY_WITH_TIMEOUT(!Host()->Busy() && Host()->ReadyState() == 4, 20000);
        QTest::qWait(300);
        QCOMPARE(FForm->windowTitle(), title);
        QCOMPARE(FForm->ZoneForUrl(Host()->LocationURL()), zone);
        if (!useOriginal)
            QVERIFY(FForm->SecurityCategories.test(scScript));
        // The picture goes into the build tree, where a developer can look at it.
        const QDir shots(qEnvironmentVariable("QM_BUILD_DIR", QDir::currentPath()) +
                         u"/test-shots"_qs);
        QVERIFY(shots.mkpath(u"."_qs));
        const QString shot = shots.filePath(u"status-%1.png"_qs.arg(zone));
        QVERIFY(FForm->StatusBar1->grab().save(shot));
        qInfo("status bar saved to %s", qPrintable(shot));
    }

private:
    TWebBrowserSecure *Host() const { return FForm->BrowserHost; }
    // Writes a page into the web directory; its file: URL.
    QString WritePage(const QString &name, const QByteArray &body) {
        const QString path = FWeb.filePath(name);
        if (!WriteFile(path, "<!DOCTYPE html><meta charset='utf-8'>" + body))
            return {};
        return QUrl::fromLocalFile(path).toString();
    }
    void StartTopLevelNavigation() {
        bool cancel = false;
        Host()->OnBeforeNavigate2(Host(), Host()->Application(), u"about:blank"_qs, 0, {}, {}, {},
                                  cancel);
    }
    void AddRestrictedSite() {
        static bool added = false;
        if (added)
            return;
        QVERIFY(SUCCEEDED(
            FForm->SecurityManager->SetZoneMapping(4, u"http://restricted.example", SZM_CREATE)));
        added = true;
    }

    FreshPlatformDir FPlatform;
    QTemporaryDir FWeb;
    std::unique_ptr<TForm1> FForm;
};

QTEST_MAIN(TestMainEvents)
#include "tst_MainEvents.moc"
