#pragma once
// Module-level objects of unit Main: the two ini-file objects on the option key and the trace
// routine. Created by InitializeMainUnit before any window, freed by FinalizeMainUnit.

#include "platform/registry/RegistryObjects.h"

#include <QString>

#include <functional>

extern TRegistryIniFile *MainIniReader; // query access
extern TRegistryIniFile *MainIniWriter; // full access

void InitializeMainUnit();
void FinalizeMainUnit();

// Takes a trace text; nothing is shown or stored. A sink set for diagnostics (tests) sees each
// text; an empty one removes it.
void DebugTrace(const QString &text);
void SetDebugTraceSink(std::function<void(const QString &)> sink);
