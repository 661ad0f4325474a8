#pragma once
// The state of the page on screen that the status bar shows. A top-level navigation and a refresh
// reset it; the zone is looked up again when it is next needed.

#include "policy/ZoneDisplay.h"

#include <QString>

struct TPageState {
    int CurrentZone = -1;                   // -1: not yet known
    TSecurityCategories SecurityCategories; // URL-action categories met (status panel 1)
    QString PageDateText;                   // the page's last-modified text (status panel 0)

    void Reset() {
        CurrentZone = -1;
        SecurityCategories.reset();
        PageDateText.clear();
    }
};
