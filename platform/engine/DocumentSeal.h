#pragma once
// Sealing the document on screen while a navigation is pending. The engine's page settings
// (scripts, images, plugins) hold for the whole page, and those of the next document must be set
// when its navigation is accepted to be in force when it starts; until it commits they hold for
// the document still on screen too, and its requests cannot be told from the new document's.
// When the next rules allow what the document on screen refuses, the control first gives that
// document a content security policy of those refusals, through the isolated world (so it works
// where page scripts are off), which the engine applies before the new settings arrive. The
// policy only restates the document's own rules, so a document that stays (the navigation did
// not commit) keeps it harmlessly.

#include "platform/engine/ContentRules.h"

#include <QString>

namespace engine {

// The policy for a document of current's rules under next's: a directive for each kind of
// content that next allows and current refuses; frames too when scripts are among them (a new
// frame would run its scripts). Empty: nothing to seal.
QString SealPolicy(const DocumentRules &current, const DocumentRules &next);

// The isolated-world script that gives the page and its readable frames policy. A document that
// is not HTML, which a policy element cannot reach, loses its scripts and event handlers instead
// when stripScripts is true.
QString SealScript(const QString &policy, bool stripScripts);

} // namespace engine
