// The window's start-up pieces that need no page: the stored default size and the address box's
// completion over the file system and the visited addresses.

#include "app/AddressCompletion.h"
#include "app/Main.h"
#include "app/MainUnit.h"
#include "app/ProgramLanguage.h"
#include "options/appoption.h"
#include "platform/engine/EngineEnvironment.h"
#include "tests/support/FreshPlatformDir.h"

#include <QComboBox>
#include <QCompleter>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

class TestMainStartup final : public QObject {
    Q_OBJECT
public:
    static void initMain() { engine::PrepareEngineEnvironment(); }

private slots:
    void initTestCase() {
        QVERIFY(FPlatform.isValid() && FFiles.isValid());
        appoption::Initialize();
        InitializeMainUnit();
        for (const char *name : {"Alpha.html", "beta.html"}) {
            QFile file(FFiles.filePath(QString::fromLatin1(name)));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
    }
    void cleanupTestCase() {
        FinalizeMainUnit();
        appoption::Finalize();
    }

    void defaultSize_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<QSize>("size");
        const int w = TForm1::LayoutWidth, h = TForm1::LayoutHeight;
        QTest::newRow("neither set") << -1 << -1 << QSize(w, h);
        QTest::newRow("width only") << 800 << -1 << QSize(800, h);
        QTest::newRow("height only") << -1 << 600 << QSize(w, 600);
        QTest::newRow("both") << 900 << 700 << QSize(900, 700);
    }
    void defaultSize() {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(QSize, size);
        AppOption->SetDefaultWidth(width);
        AppOption->SetDefaultHeight(height);
        TForm1 form;
        form.FormCreate({}, true);
        QCOMPARE(form.size(), size);
    }

    // In debug mode the whole command line, program included, is shown first; the navigation
    // follows once the box is closed (a switch still navigates nowhere).
    void debugCommandLineBox_data() {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<bool>("navigates");
        QTest::newRow("page") << "about:blank#debug" << true;
        QTest::newRow("switch") << "-automation-test" << false;
    }
    void debugCommandLineBox() {
        QFETCH(QString, argument);
        QFETCH(bool, navigates);
        AppOption->SetDebugEnable(true);
        TForm1 form;
        form.FormCreate({argument});
        AppOption->SetDebugEnable(false);
        auto *box = form.findChild<QMessageBox *>(u"CommandLineBox"_qs);
        QVERIFY(box && box->isVisible());
        QCOMPARE(box->text(), QCoreApplication::arguments().join(u' '));
        QVERIFY(box->text().startsWith(QCoreApplication::arguments().first()));
        QVERIFY(form.ComboBox1->currentText() != argument);
        box->accept();
        QCOMPARE(form.ComboBox1->currentText() == argument, navigates);
    }

    void completion_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");
        QTest::newRow("visited address") << u"http://b"_qs << u"http://b.example/"_qs;
        QTest::newRow("visited address, other case") << u"HTTP://A"_qs << u"http://a.example/"_qs;
    }
    void completion() {
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        QComboBox box;
        box.setEditable(true);
        box.addItems({u"http://b.example/"_qs, u"http://a.example/"_qs});
        const TAddressCompletion *completion = TAddressCompletion::Install(box);
        QCompleter &completer = completion->Completer();
        QTest::keyClicks(box.lineEdit(), typed); // picks the model
        // The popup's part needs a focused window; the file system model loads directories in
        // the background, so the prefix is set again until they are there.
        QTRY_VERIFY((completer.setCompletionPrefix(typed), completer.completionCount() == 1));
        QCOMPARE(completer.currentCompletion(), expected);
    }

    // Qt's standard dialogs speak Japanese: the program loads Qt's own translations. (Last, as
    // it changes the process's locale.)
    void qtDialogsInJapanese() {
        SetProgramLocale();
        QVERIFY(InstallQtTranslations(*QCoreApplication::instance()));
        QMessageBox box;
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        QCOMPARE(box.button(QMessageBox::Cancel)->text(), u"キャンセル"_qs);
    }

private:
    FreshPlatformDir FPlatform;
    QTemporaryDir FFiles;
};

QTEST_MAIN(TestMainStartup)
#include "tst_MainStartup.moc"
