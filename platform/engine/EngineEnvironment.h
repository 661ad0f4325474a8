#pragma once
// Process-wide preparation of Qt WebEngine. Call before the QApplication is constructed.

namespace engine {

// Adds the Chromium switches the control needs (no GPU, no background networking or component
// updates, no sandbox when running as root, the language of the default QLocale unless a --lang
// is given) to QTWEBENGINE_CHROMIUM_FLAGS, keeping flags already present, and sets
// Qt::AA_ShareOpenGLContexts. Idempotent.
void PrepareEngineEnvironment();

} // namespace engine
