#pragma once
// The utility unit: the version-resource reader, the directory change checker and the
// file-type registration helpers.

#include "platform/kernel/Win32.h"

#include <cstdint>
#include <memory>
#include <string>

// Reads the version resource of an executable or library, given by its path or found through
// the server registration of a COM class.
class TFileVersionRC final {
public:
    TFileVersionRC() = default;
    ~TFileVersionRC() = default;
    TFileVersionRC(const TFileVersionRC &) = delete;
    TFileVersionRC &operator=(const TFileVersionRC &) = delete;

    int32_t InfoSize() const { return FInfoSize; } // 0 when no block is loaded
    const BYTE *InfoBlock() const { return FInfoBlock.get(); }
    const std::string &FileName() const { return FFileName; }
    // First language and code page of the block, e.g. "041104B0"; kept from an earlier file
    // when the current block has no translation table.
    const std::string &Translation() const { return FTranslation; }

    void LoadFromFile(const std::string &path);
    // clsidText in braces; the server path is read from HKEY_CLASSES_ROOT without expanding
    // environment variables.
    void LoadFromCLSID(const std::string &clsidText);

    std::string GetStringValue(const std::string &name) const;
    // Leaves text unchanged when there is no block or no fixed file information.
    void GetVersionText(std::string &text) const;
    // Most significant 32 bits of the file version in the high half; 0 without a block.
    uint64_t GetVersionNumber() const;

private:
    int32_t FInfoSize = 0;
    std::unique_ptr<BYTE[]> FInfoBlock;
    std::string FFileName;
    std::string FTranslation;
};

// Watches one directory for entries created, deleted or renamed directly in it and tells, when
// asked, whether anything changed since the last question.
class TDirChangeChecker final {
public:
    TDirChangeChecker();
    ~TDirChangeChecker();
    TDirChangeChecker(const TDirChangeChecker &) = delete;
    TDirChangeChecker &operator=(const TDirChangeChecker &) = delete;

    const std::string &Directory() const { return FDirectory; }
    HANDLE ChangeHandle() const { return FChangeHandle; }

    // A path equal to the current one (compared exactly) keeps the existing notification.
    void SetDirectory(const std::string &path);
    // True once for any number of changes since the previous call; false while nothing is
    // watched.
    bool HasChanged();

private:
    std::string FDirectory;
    HANDLE FChangeHandle = INVALID_HANDLE_VALUE;
};

// File-type and shell-verb registrations under HKEY_CLASSES_ROOT. Writers fall back to
// HKEY_CURRENT_USER\Software\Classes when a key cannot be opened for writing there.

// Default value of HKEY_CLASSES_ROOT\{key}; empty when absent.
std::string ReadClassDefault(const std::string &key);
// Writes the type name (default value), "Content type" and "PerceivedType" of an extension.
bool RegisterFileExtension(const std::string &ext, const std::string &typeName,
                           const std::string &contentType, const std::string &perceivedType);
// Replaces {typeName}\Shell\{verb} (with everything below it) by one whose "command" sub-key
// holds command.
bool SetShellCommand(const std::string &typeName, const std::string &verb,
                     const std::string &command);
// Default value of {typeName}\Shell\{verb}\command; empty when absent or an argument is empty.
std::string ReadShellCommand(const std::string &typeName, const std::string &verb);
// True when the verb's command runs a program whose path begins with exePath (ASCII letters
// compared without case; a quoted program part is taken without its quotes).
bool IsShellCommandFor(const std::string &typeName, const std::string &verb,
                       const std::string &exePath);
