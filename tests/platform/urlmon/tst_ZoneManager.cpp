// Zone enumeration and attributes as the main window reads them, zone icons, and the enumerator's
// error rules.

#include "UrlmonFixture.h"

#include "platform/urlmon/ZoneIcon.h"

#include <QImage>
#include <QPixmap>
#include <QtTest>

#include <cstring>

Q_DECLARE_METATYPE(HRESULT)

namespace {

QString Field(const WCHAR *text) {
    return QString::fromUtf16(text);
}

// Share of pixels that are not transparent: a drawn icon, not an empty one.
double Coverage(const QIcon &icon, int size) {
    const QImage image = icon.pixmap(size, size).toImage();
    int opaque = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            opaque += qAlpha(image.pixel(x, y)) > 0;
    return double(opaque) / (size * size);
}

} // namespace

class TestZoneManager final : public QObject {
    Q_OBJECT

private slots:
    // A fresh platform directory for the cases that use the zone manager.
    void init() {
        if (QByteArray(QTest::currentTestFunction()).startsWith("zoneIcons"))
            return;
        m_fixture = std::make_unique<FreshPlatformDir>();
        m_zones = NewZoneManager();
        QVERIFY(m_zones);
    }
    void cleanup() {
        m_zones.Reset();
        m_fixture.reset();
    }

    // The main window's loop: enumerator, each zone, attributes into a 1460-byte record.
    void enumerationAndAttributes() {
        struct Expected {
            const char16_t *name;
            const char *icon;
            DWORD min, recommended, current, flags;
        };
        const Expected expected[] = {
            {u"マイ コンピュータ", "explorer.exe#0100", 0, 0, 0, 0x21},
            {u"ローカル イントラネット", "shell32.dll#0018", 0x10000, 0x10500, 0x10500, 0xDB},
            {u"信頼済みサイト", "inetcpl.cpl#00004480", 0x10000, 0x10000, 0x10000, 0x47},
            {u"インターネット", "inetcpl.cpl#001313", 0x11000, 0x11000, 0x11000, 0x01},
            {u"制限付きサイト", "inetcpl.cpl#00004481", 0x12000, 0x12000, 0x12000, 0x03},
        };
        DWORD enumerator = 0, count = 0;
        QCOMPARE(m_zones->CreateZoneEnumerator(&enumerator, &count, 0), S_OK);
        QCOMPARE(count, 5u);
        for (DWORD i = 0; i < count; ++i) {
            DWORD zone = 99;
            QCOMPARE(m_zones->GetZoneAt(enumerator, i, &zone), S_OK);
            QCOMPARE(zone, i);
            ZONEATTRIBUTES attributes;
            std::memset(static_cast<void *>(&attributes), 0x7F, sizeof(attributes));
            attributes.cbSize = 1460;
            QCOMPARE(m_zones->GetZoneAttributes(zone, &attributes), S_OK);
            QCOMPARE(attributes.cbSize, 1460u);
            QCOMPARE(Field(attributes.szDisplayName), QString::fromUtf16(expected[i].name));
            QVERIFY(!Field(attributes.szDescription).isEmpty());
            QCOMPARE(Field(attributes.szIconPath), QString::fromLatin1(expected[i].icon));
            QCOMPARE(attributes.dwTemplateMinLevel, expected[i].min);
            QCOMPARE(attributes.dwTemplateRecommended, expected[i].recommended);
            QCOMPARE(attributes.dwTemplateCurrentLevel, expected[i].current);
            QCOMPARE(attributes.dwFlags, expected[i].flags);
            QVERIFY(!LoadZoneIcon(Field(attributes.szIconPath).toStdString()).isNull());
        }
        QCOMPARE(m_zones->DestroyZoneEnumerator(enumerator), S_OK);
    }

    void enumeratorErrors() {
        DWORD enumerator = 0, count = 0, zone = 0;
        QCOMPARE(m_zones->CreateZoneEnumerator(&enumerator, &count, 1), E_INVALIDARG);
        QCOMPARE(m_zones->CreateZoneEnumerator(nullptr, &count, 0), E_INVALIDARG);
        QCOMPARE(m_zones->CreateZoneEnumerator(&enumerator, nullptr, 0), E_INVALIDARG);
        QCOMPARE(m_zones->CreateZoneEnumerator(&enumerator, &count, 0), S_OK);
        DWORD second = 0;
        QCOMPARE(m_zones->CreateZoneEnumerator(&second, &count, 0), S_OK);
        QVERIFY(second != enumerator);
        QCOMPARE(m_zones->GetZoneAt(enumerator, count, &zone), E_INVALIDARG);
        QCOMPARE(m_zones->GetZoneAt(enumerator, 0, nullptr), E_INVALIDARG);
        QCOMPARE(m_zones->GetZoneAt(enumerator + second + 1, 0, &zone), E_INVALIDARG);
        QCOMPARE(m_zones->DestroyZoneEnumerator(enumerator), S_OK);
        QCOMPARE(m_zones->DestroyZoneEnumerator(enumerator), E_INVALIDARG);
        QCOMPARE(m_zones->GetZoneAt(enumerator, 0, &zone), E_INVALIDARG);
        QCOMPARE(m_zones->GetZoneAt(second, 4, &zone), S_OK); // the other one lives on
        QCOMPARE(zone, 4u);
        QCOMPARE(m_zones->DestroyZoneEnumerator(second), S_OK);

        ZONEATTRIBUTES attributes;
        QCOMPARE(m_zones->GetZoneAttributes(13, &attributes), E_INVALIDARG);
        QCOMPARE(m_zones->GetZoneAttributes(0, nullptr), E_INVALIDARG);
        QCOMPARE(m_zones->SetZoneAttributes(13, &attributes), E_INVALIDARG);
    }

    // Levels and flags come from the registry, the user store first; names stay built in.
    void attributesFromRegistry() {
        QVERIFY(SetDword(HKEY_LOCAL_MACHINE, "Zones\\3", "CurrentLevel", URLTEMPLATE_HIGH));
        QVERIFY(SetDword(HKEY_CURRENT_USER, "Zones\\3", "Flags", 0x3));
        QVERIFY(SetText(HKEY_CURRENT_USER, "Zones\\3", "CurrentLevel", "not a number"));
        ZONEATTRIBUTES attributes;
        QCOMPARE(m_zones->GetZoneAttributes(3, &attributes), S_OK);
        QCOMPARE(attributes.dwTemplateCurrentLevel, URLTEMPLATE_HIGH);
        QCOMPARE(attributes.dwFlags, 0x3u);

        attributes.dwTemplateCurrentLevel = URLTEMPLATE_MEDLOW;
        std::fill(std::begin(attributes.szDisplayName), std::end(attributes.szDisplayName), u'x');
        QCOMPARE(m_zones->SetZoneAttributes(3, &attributes), S_OK); // unterminated name is safe
        ZONEATTRIBUTES again;
        QCOMPARE(m_zones->GetZoneAttributes(3, &again), S_OK);
        QCOMPARE(again.dwTemplateCurrentLevel, URLTEMPLATE_MEDLOW);
        QCOMPARE(Field(again.szDisplayName), QStringLiteral("インターネット"));
    }

    void zoneIcons_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("found");
        for (const char *path : {"explorer.exe#0100", "shell32.dll#0016", "shell32.dll#0018",
                                 "inetcpl.cpl#00004480", "inetcpl.cpl#001313",
                                 "inetcpl.cpl#00004481", "INETCPL.CPL#1313", "inetcpl.cpl#005425"})
            QTest::newRow(path) << QString::fromLatin1(path) << true;
        for (const char *path : {"", "#", "#1313", "inetcpl.cpl", "inetcpl.cpl#", "inetcpl.cpl#12a",
                                 "inetcpl.cpl#-1313", "unknown.dll#1313", "inetcpl.cpl#1314",
                                 "inetcpl.cpl#99999999999999999999", "inetcpl.cpl##1313"})
            QTest::newRow(*path ? path : "empty") << QString::fromLatin1(path) << false;
    }
    void zoneIcons() {
        QFETCH(QString, path);
        QFETCH(bool, found);
        const QIcon icon = LoadZoneIcon(path.toStdString());
        QCOMPARE(!icon.isNull(), found);
        if (found)
            for (int size : {16, 32}) {
                const double coverage = Coverage(icon, size);
                QVERIFY2(coverage > 0.3 && coverage < 1.0, qPrintable(QString::number(coverage)));
            }
    }

    // The five zones are told apart by their icons.
    void zoneIconsDiffer() {
        QList<QImage> images;
        for (const char *path : {"explorer.exe#0100", "shell32.dll#0018", "inetcpl.cpl#00004480",
                                 "inetcpl.cpl#001313", "inetcpl.cpl#00004481"})
            images << LoadZoneIcon(path).pixmap(16, 16).toImage();
        for (int i = 0; i < images.size(); ++i)
            for (int j = i + 1; j < images.size(); ++j)
                QVERIFY(images[i] != images[j]);
    }

private:
    std::unique_ptr<FreshPlatformDir> m_fixture;
    ComPtr<IInternetZoneManager> m_zones;
};

QTEST_MAIN(TestZoneManager)
#include "tst_ZoneManager.moc"
