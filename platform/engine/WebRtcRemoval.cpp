#include "platform/engine/WebRtcRemoval.h"

#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

namespace engine {

namespace {

// RTCPeerConnection, its prefixed alias and the interfaces around it are own, configurable
// properties of the window.
constexpr char16_t kRemoval[] = uR"(
for (const name of Object.getOwnPropertyNames(window)) {
  if (/^(webkit)?RTC/.test(name))
    delete window[name];
}
)";

} // namespace

void RemoveWebRtc(QWebEngineProfile *profile) {
    QWebEngineScript script;
    script.setName(u"quillmere-no-webrtc"_qs);
    script.setSourceCode(QString::fromUtf16(kRemoval));
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setRunsOnSubFrames(true);
    profile->scripts()->insert(script);
}

} // namespace engine
