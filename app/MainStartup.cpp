// TForm1 creation: the browser host control, its events, the local-browsing settings, the zone
// list and the command line.

#include "app/Main.h"

#include "app/AddressCompletion.h"
#include "app/ImageList.h"
#include "app/MainUnit.h"
#include "app/StatusPanels.h"
#include "host/WebBrowserSecure.h"
#include "options/appoption.h"
#include "platform/urlmon/WideText.h"
#include "platform/urlmon/ZoneIcon.h"
#include "policy/LocalBrowseSettings.h"
#include "tools/DropTarget.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QStyle>

#include <functional>

void TForm1::CreateParams() {
    if (AppOption->DefaultWidth() != -1)
        resize(AppOption->DefaultWidth(), height());
    if (AppOption->DefaultHeight() != -1)
        resize(width(), AppOption->DefaultHeight());
}

void TForm1::FormCreate(const QStringList &arguments, bool automation) {
    CreateParams();
    TAddressCompletion::Install(*ComboBox1);

    BrowserHost = new TWebBrowserSecure(Panel1);
    BrowserHost->setObjectName(u"BrowserHost"_qs);
    BrowserHost->setFocusPolicy(Qt::StrongFocus);
    delete Panel1->layout()->replaceWidget(BrowserHostPlaceholder, BrowserHost);
    delete BrowserHostPlaceholder;
    BrowserHostPlaceholder = nullptr;

    WireCommands();
    WireStatusBar();
    WireBrowserEvents();
    BrowserHost->SetOffline(false);
    BrowserHost->SetUserAgent(u"Use IE Control Browser"_qs);
    BrowserHost->OnAccelerator = std::bind_front(&TForm1::WebBrowser1Accelerator, this);
    TDropTarget::Install(ComboBox1->lineEdit());
    // The debug features and the colour menu copy come with their own modules.
    LoadLocalBrowseSettings();
    StatusBar1->setVisible(AppOption->ShowStatusBar());
    txtMessage->setVisible(false);
    if (!automation)
        show();

    CoInternetCreateSecurityManager(nullptr, SecurityManager.ReleaseAndGetAddressOf(), 0);
    CoInternetCreateZoneManager(nullptr, ZoneManager.ReleaseAndGetAddressOf(), 0);
    BuildZoneList();
    BrowserIdentity = ComPtr<IDispatch>(BrowserHost->Application()).As<IUnknown>();

    if (!automation)
        HandleCommandLine(arguments);
}

// One name and one icon per zone in enumeration order, then the unknown zone. A zone whose
// attributes cannot be read is listed as "Unknown" with the unknown zone's icon, so that names and
// icons stay aligned.
void TForm1::BuildZoneList() {
    ZoneNames.clear();
    const QIcon question = style()->standardIcon(QStyle::SP_MessageBoxQuestion);
    DWORD enumerator = 0;
    DWORD count = 0;
    if (ZoneManager && SUCCEEDED(ZoneManager->CreateZoneEnumerator(&enumerator, &count, 0))) {
        for (DWORD index = 0; index < count; ++index) {
            DWORD zone = 0;
            ZONEATTRIBUTES attributes;
            attributes.cbSize = sizeof attributes;
            if (SUCCEEDED(ZoneManager->GetZoneAt(enumerator, index, &zone)) &&
                SUCCEEDED(ZoneManager->GetZoneAttributes(zone, &attributes))) {
                imgSecurityZone->Add(LoadZoneIcon(urlmon::ToUtf8(attributes.szIconPath)));
                ZoneNames.append(QString::fromStdString(urlmon::ToUtf8(attributes.szDisplayName)));
            } else {
                imgSecurityZone->Add(question);
                ZoneNames.append(u"Unknown"_qs);
            }
        }
        ZoneManager->DestroyZoneEnumerator(enumerator);
    }
    imgSecurityZone->Add(question);
    ZoneNames.append(u"不明なゾーン"_qs);
    UnknownZoneIndex = int(ZoneNames.size()) - 1;
}

// No arguments: the home page. An empty first argument or a switch ("-..."): no navigation at
// all. Anything else goes into the address box exactly as given and Go runs.
void TForm1::HandleCommandLine(const QStringList &arguments) {
    if (arguments.isEmpty()) {
        ToolButton14Click();
        return;
    }
    const QString first = arguments.first();
    if (first.isEmpty())
        return;
    const auto navigate = [this, first] {
        if (first.startsWith(u'-'))
            return;
        ComboBox1->setEditText(first);
        Button2Click();
    };
    if (!AppOption->DebugEnable()) {
        navigate();
        return;
    }
    // The whole command line, program included, comes first; the navigation once it is closed.
    auto *box = new QMessageBox(QMessageBox::Information, windowTitle(),
                                QCoreApplication::arguments().join(u' '), QMessageBox::Ok, this);
    box->setObjectName(u"CommandLineBox"_qs);
    box->setAttribute(Qt::WA_DeleteOnClose);
    connect(box, &QMessageBox::finished, this, navigate);
    box->open();
}

void TForm1::LoadLocalBrowseSettings() {
    if (!FLocalBrowse) {
        FLocalBrowse = std::make_unique<TLocalBrowseSettings>(*MainIniReader, *MainIniWriter);
        FLocalBrowse->SetDownloadControlAccess(
            [this] { return BrowserHost->DownLoadControl2(); },
            [this](DWORD flags) { BrowserHost->SetDownLoadControl2(flags); });
    }
    FLocalBrowse->LoadLocalBrowseSettings();
}
