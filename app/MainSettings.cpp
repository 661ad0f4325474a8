// TForm1: the local-browsing setters, delegating to the settings object over the option store.

#include "app/Main.h"

#include "policy/LocalBrowseSettings.h"

bool TForm1::SetLocalWebDirectory(const QString &directory) {
    return FLocalBrowse->SetLocalWebDirectory(directory.toStdString());
}

void TForm1::SetDownloadControlFlags(DWORD flags) {
    FLocalBrowse->SetDownloadControlFlags(flags);
}

void TForm1::SetUseOrginalUrl(bool value) {
    FLocalBrowse->SetUseOrginalUrl(value);
}

void TForm1::SetDefaultSecurityZone(int zone) {
    FLocalBrowse->SetDefaultSecurityZone(zone);
}
