#pragma once
// WebRTC is not offered to pages. A peer connection opens sockets of its own (STUN and TURN, ICE
// over UDP and TCP) that no request check sees, and one made while online would go on sending
// after the switch to offline; the original control had no such interface. Two layers: every
// document the engine commits, in every frame, loses the RTC interfaces before its own scripts
// run (here); and the engine is started with UDP closed to WebRTC in every world
// (EngineEnvironment.cpp). Left open: the first, empty document of a frame has the interfaces
// until its removal runs, just after the frame is made, and a script of its page that reaches
// them at once can still connect over TCP (ICE or TURN over TCP); the engine has no switch for it.

class QWebEngineProfile;

namespace engine {

// Adds to profile the document-creation script that removes the RTC interfaces from the page's
// world in every frame.
void RemoveWebRtc(QWebEngineProfile *profile);

} // namespace engine
