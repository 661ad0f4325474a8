#pragma once
// Sealing the document on screen while a navigation is pending. The engine's page settings
// (scripts, images, plugins) hold for the whole page, and those of the next document must be set
// when its navigation is accepted to be in force when it starts; until it commits they hold for
// the document still on screen too. When they are looser than that document's own rules, the
// control first gives the document a content security policy of its own refusals, through the
// isolated world (so it works where page scripts are off), which the engine applies before the
// new settings arrive. The policy only restates the document's rules, so a document that stays
// (the navigation did not commit) keeps it harmlessly.

#include "platform/engine/ContentRules.h"

#include <QString>

namespace engine {

// The policy for a document with rules: a directive per refusal; frames too when newFrames is
// false (a frame would run under looser settings than its page's). Empty: nothing to seal.
QString SealPolicy(const DocumentRules &rules, bool newFrames);

// The isolated-world script that gives the page and its readable frames policy. A document that
// is not HTML, which a policy element cannot reach, loses its scripts and event handlers instead
// when scripts is false.
QString SealScript(const QString &policy, bool scripts);

} // namespace engine
