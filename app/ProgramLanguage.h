#pragma once
// The program speaks Japanese whatever the environment's locale says: its own texts, the
// engine's (error pages, accept-language) and Qt's standard dialogs.

class QCoreApplication;

// Makes Japanese the default locale. Call before the engine's environment is prepared, which
// takes the engine's language from it.
void SetProgramLocale();

// Loads Qt's own Japanese translations into the application; false when they are missing.
bool InstallQtTranslations(QCoreApplication &application);
