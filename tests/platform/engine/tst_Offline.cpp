// What runs outside the page's frames on the real engine. The requests of service, shared and
// dedicated workers follow the rules of the document on screen and leave nothing once the control
// is offline; WebRTC sends no datagram, online or offline, whichever world asks for it, and the
// page's own scripts find no interface to make a peer connection with.

#include "BrowserFixture.h"
#include "TestHttpServer.h"

#include "platform/engine/EngineEnvironment.h"
#include "platform/wininet/WinInet.h"

#include <QFile>
#include <QNetworkDatagram>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <QWebEnginePage>
#include <QWebEngineScript>

namespace {

// Starts a service worker, a shared worker and a dedicated worker and, once each has answered,
// shows "ready"; probe(kind, message) hands the worker of that kind a message and puts
// "kind:<its answer>" in the title.
const QByteArray kWorkerPage = R"(<!DOCTYPE html><html><head><title>loading</title><script>
const show = text => { document.title = text; };
const workers = {};
const ask = (kind, message) => new Promise(answer => {
  const target = kind === 'service' ? navigator.serviceWorker : workers[kind];
  target.onmessage = e => answer(e.data);
  workers[kind].postMessage(message);
});
async function start() {
  await navigator.serviceWorker.register('sw.js');
  workers.service = (await navigator.serviceWorker.ready).active;
  workers.shared = new SharedWorker('shared.js').port;
  workers.dedicated = new Worker('dedicated.js');
  for (const kind of ['service', 'shared', 'dedicated'])
    await ask(kind, 'hello');
  show('ready');
}
const probe = (kind, message) => ask(kind, message).then(answer => show(kind + ':' + answer));
start().catch(e => show('failed: ' + e));
</script></head><body>workers</body></html>)";

// Each worker answers "hello" with "hi"; "fetch <url>" and "font <url>" (a font face it loads)
// with "done" once the request has succeeded or failed.
const QByteArray kAnswer = R"(const answer = message => {
  const [what, url] = message.split(' ');
  if (what === 'hello') return Promise.resolve('hi');
  const load = what === 'font' ? new FontFace('probe', 'url(' + url + ')').load() : fetch(url);
  return load.then(() => 'done', () => 'done');
};
)";
const QByteArray kServiceWorker =
    kAnswer + "self.onmessage = e => answer(e.data).then(r => e.source.postMessage(r));";
const QByteArray kSharedWorker =
    kAnswer + "onconnect = c => { const port = c.ports[0];"
              " port.onmessage = e => answer(e.data).then(r => port.postMessage(r)); };";
const QByteArray kDedicatedWorker = kAnswer + "onmessage = e => answer(e.data).then(postMessage);";
const QByteArray kScript = "Content-Type: text/javascript\r\n";

// The ICE servers of every peer connection here: a STUN server on UDP port %1 and a TURN server
// over TCP on port %2, both on the loopback interface.
const QString kIceServers =
    u"{iceServers: [{urls: 'stun:127.0.0.1:%1'},"
    " {urls: 'turn:127.0.0.1:%2?transport=tcp', username: 'u', credential: 'c'}]}"_qs;

// A page whose inline script tries to make a peer connection before anything else.
const QString kPeerPage = u"<!DOCTYPE html><html><head><title>peer</title><script>"
                          "try { window.early = new RTCPeerConnection(%1); } catch (e) {}"
                          "</script></head><body>peer</body></html>"_qs;

// gather(make) gathers the candidates of the peer connection make(config) gives: the title
// becomes "unavailable" when there is none, else "gathered" once gathering completes.
const QString kGather = uR"(
var gather = make => {
  let pc;
  try { pc = make(%1); }
  catch (e) { document.title = 'unavailable'; return; }
  pc.createDataChannel('probe');
  pc.onicegatheringstatechange = () => {
    if (pc.iceGatheringState === 'complete') document.title = 'gathered';
  };
  pc.createOffer().then(offer => pc.setLocalDescription(offer))
    .catch(e => { document.title = 'failed: ' + e; });
};
)"_qs;

void SetGlobalOffline(bool offline) {
    INTERNET_CONNECTED_INFO info{
        offline ? INTERNET_STATE_DISCONNECTED_BY_USER : INTERNET_STATE_CONNECTED, 0};
    QVERIFY(InternetSetOptionA(nullptr, INTERNET_OPTION_CONNECTED_STATE, &info, sizeof info));
}

} // namespace

class TestOffline final : public QObject {
    Q_OBJECT
public:
    static void initMain() { engine::PrepareEngineEnvironment(); }

private slots:
    void init() { m_f = std::make_unique<BrowserFixture>(); }
    void cleanup() { m_f.reset(); }
    void workerRequestsFollowTheDocument_data();
    void workerRequestsFollowTheDocument();
    void webRtcSendsNothing_data();
    void webRtcSendsNothing();

private:
    QWebEnginePage *Page() const { return m_f->browser->findChild<QWebEnginePage *>(); }
    // Runs script in world and waits until the title is one of ends, or until done().
    QString RunUntilTitle(
        const QString &script, quint32 world, const QStringList &ends,
        const std::function<bool()> &done = [] { return false; }) {
        Page()->runJavaScript(script, world);
        if (!QTest::qWaitFor([&] { return done() || ends.contains(m_f->browser->LocationName()); },
                             kLoadTimeout))
            return u"<no answer>"_qs;
        return m_f->browser->LocationName();
    }

    std::unique_ptr<BrowserFixture> m_f;
};

void TestOffline::workerRequestsFollowTheDocument_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("site"); // "restricted" pages refuse fonts
    QTest::addColumn<bool>("offline");
    QTest::addColumn<QString>("probe");
    QTest::addColumn<int>("blocked"); // the URL action reported, -1 for none
    for (const QString &kind : {u"service"_qs, u"shared"_qs, u"dedicated"_qs}) {
        const QByteArray worker = kind.toUtf8() + " worker";
        QTest::addRow("%s: a fetch online", worker.data())
            << kind << u"site"_qs << false << u"fetch"_qs << -1;
        QTest::addRow("%s: a fetch offline", worker.data())
            << kind << u"site"_qs << true << u"fetch"_qs << 0;
        QTest::addRow("%s: a font its document may load", worker.data())
            << kind << u"site"_qs << false << u"font"_qs << -1;
        QTest::addRow("%s: a font its document refuses", worker.data())
            << kind << u"restricted"_qs << false << u"font"_qs << int(URLACTION_HTML_FONT_DOWNLOAD);
    }
}

void TestOffline::workerRequestsFollowTheDocument() {
    QFETCH(QString, kind);
    QFETCH(QString, site);
    QFETCH(bool, offline);
    QFETCH(QString, probe);
    QFETCH(int, blocked);
    m_f->manager->deniedRestricted = {URLACTION_HTML_FONT_DOWNLOAD};
    TestHttpServer server;
    QVERIFY(server.IsListening());
    const QByteArray dir = '/' + site.toUtf8() + '/';
    server.Serve(dir + "page.html", kWorkerPage);
    server.Serve(dir + "sw.js", kServiceWorker, kScript);
    server.Serve(dir + "shared.js", kSharedWorker, kScript);
    server.Serve(dir + "dedicated.js", kDedicatedWorker, kScript);
    server.Serve(dir + "probe", "probed", "Content-Type: font/woff\r\n");
    SetGlobalOffline(false);
    QCOMPARE(m_f->LoadUrl(server.Url(QString::fromUtf8(dir + "page.html"))), u"loading"_qs);
    QTRY_COMPARE_WITH_TIMEOUT(m_f->browser->LocationName(), u"ready"_qs, kLoadTimeout);

    SetGlobalOffline(offline);
    const QString url = server.Url(QString::fromUtf8(dir + "probe"));
    QCOMPARE(RunUntilTitle(u"probe('%1', '%2 %3')"_qs.arg(kind, probe, url),
                           QWebEngineScript::MainWorld, {kind + u":done"_qs}),
             kind + u":done"_qs);
    SetGlobalOffline(false);
    QCOMPARE(server.RequestsOf(dir + "probe"), blocked < 0 ? 1 : 0);
    QCOMPARE(m_f->WasBlocked(url, DWORD(blocked)), blocked >= 0);
}

void TestOffline::webRtcSendsNothing_data() {
    QTest::addColumn<QString>("make");
    QTest::addColumn<quint32>("world");
    QTest::addColumn<bool>("offline");
    QTest::addColumn<bool>("removed"); // the attempt finds no interface to make one with
    const quint32 page = QWebEngineScript::MainWorld;
    const QString own = u"config => new RTCPeerConnection(config)"_qs;
    QTest::newRow("the page's interface, offline") << own << page << true << true;
    QTest::newRow("the page's interface, online") << own << page << false << true;
    QTest::newRow("the prefixed interface")
        << u"config => new webkitRTCPeerConnection(config)"_qs << page << true << true;
    QTest::newRow("the page's first inline script")
        << u"() => { if (!window.early) throw 0; return window.early; }"_qs << page << true << true;
    // Reachable for a moment after the page makes the frame; UDP stays closed.
    QTest::newRow("the interface of a frame the page has just made")
        << u"config => { const f = document.createElement('iframe');"
           " document.body.appendChild(f); return new f.contentWindow.RTCPeerConnection(config); }"_qs
        << page << true << false;
    QTest::newRow("a world of the control's own")
        << own << quint32(QWebEngineScript::ApplicationWorld) << true << false;
}

void TestOffline::webRtcSendsNothing() {
    QFETCH(QString, make);
    QFETCH(quint32, world);
    QFETCH(bool, offline);
    QFETCH(bool, removed);
    QUdpSocket stun;
    QVERIFY(stun.bind(QHostAddress::LocalHost, 0));
    int datagrams = 0;
    connect(&stun, &QUdpSocket::readyRead, this, [&] {
        while (stun.hasPendingDatagrams()) {
            stun.receiveDatagram();
            ++datagrams;
        }
    });
    QTcpServer turn;
    QVERIFY(turn.listen(QHostAddress::LocalHost));
    int connections = 0;
    connect(&turn, &QTcpServer::newConnection, this, [&] {
        while (QTcpSocket *socket = turn.nextPendingConnection()) {
            ++connections;
            socket->abort();
        }
    });
    const QString servers = kIceServers.arg(stun.localPort()).arg(turn.serverPort());
    QTemporaryDir site;
    QFile file(site.filePath(u"peer.html"_qs));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(kPeerPage.arg(servers).toUtf8());
    file.close();
    SetGlobalOffline(offline);
    QCOMPARE(m_f->LoadUrl(QUrl::fromLocalFile(file.fileName()).toString()), u"peer"_qs);

    const QString script = kGather.arg(servers) + u"gather("_qs + make + u");"_qs;
    const QString shown = RunUntilTitle(script, world, {u"unavailable"_qs, u"gathered"_qs},
                                        [&] { return datagrams > 0; });
    SetGlobalOffline(false);
    QCOMPARE(datagrams, 0);
    QCOMPARE(shown, removed ? u"unavailable"_qs : u"gathered"_qs);
    if (removed)
        QCOMPARE(connections, 0);
}

QTEST_MAIN(TestOffline)
#include "tst_Offline.moc"
