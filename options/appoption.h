#pragma once
// The application option store: switches cached from the option key of the current user.

#include "platform/registry/IniValue.h"

#include <memory>
#include <string>

// Owns the option key path and the two ini-file objects on it (options/OptionKey.h).
class TAppOptionBase {
public:
    TAppOptionBase();
    virtual ~TAppOptionBase();
    TAppOptionBase(const TAppOptionBase &) = delete;
    TAppOptionBase &operator=(const TAppOptionBase &) = delete;

    const std::string &RegistryPath() const { return FRegistryPath; }
    TRegistryIniFile &Reader() { return *FReader; }
    TRegistryIniFile &Writer() { return *FWriter; }

    // True when the option key can be opened for writing (it is not created).
    bool IsOptionKeyWritable() const;
    // Deletes the option key, then every parent below Software that has become empty.
    void RemoveOptionKeys();

protected:
    std::string FRegistryPath;
    std::unique_ptr<TRegistryIniFile> FReader; // query access only
    std::unique_ptr<TRegistryIniFile> FWriter; // write access
};

class TAppOption final : public TAppOptionBase {
public:
    TAppOption();

    void Load();

    bool CheckDefaultBrowser() const { return FCheckDefaultBrowser; }
    bool DebugEnable() const { return FDebugEnable; }
    bool ToolbarExt() const { return FToolbarExt; }
    bool LogDialog() const { return FLogDialog; }
    bool ShowStatusBar() const { return FShowStatusBar; }
    bool ShowMessage() const { return FShowMessage; }
    int DefaultWidth() const { return FDefaultWidth; }
    int DefaultHeight() const { return FDefaultHeight; }

    // Boolean setters write only on change, and update the cache after the write succeeded.
    void SetCheckDefaultBrowser(bool value);
    void SetDebugEnable(bool value);
    void SetToolbarExt(bool value);
    void SetLogDialog(bool value);
    void SetShowMessage(bool value);
    // Integer setters update the cache, then always write.
    void SetDefaultWidth(int value);
    void SetDefaultHeight(int value);

private:
    void SetBool(bool &field, const TIniValue<bool> &option, bool value);

    bool FCheckDefaultBrowser = false;
    bool FDebugEnable = false;
    bool FToolbarExt = false;
    bool FLogDialog = false;
    bool FShowStatusBar = true;
    bool FShowMessage = true;
    int FDefaultWidth = -1;
    int FDefaultHeight = -1;
};

// The process-wide option object; exists between the unit's initialisation and finalisation.
extern TAppOption *AppOption;

namespace appoption {
void Initialize();
void Finalize();
} // namespace appoption
