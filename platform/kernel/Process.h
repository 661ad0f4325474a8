#pragma once
// Process creation with a command line, without a shell. The command line is split into
// arguments by the program's quoting rule: blanks separate arguments; text in single quotes
// (a doubled single quote inside stands for one) or in double quotes (likewise a doubled double
// quote) is taken literally; quoted and plain parts next to each other form one argument.
// applicationName, when given, is the program run (argument 0 still comes from the command
// line); otherwise the first argument is, looked up in PATH when it has no "/".
// A process handle is signalled when the process ends; the thread handle is a second handle to
// the same process. Creation flags are accepted and ignored, and standard handles are
// inherited; an exit by signal N reports the exit code 128 + N.

#include "platform/kernel/Handles.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

constexpr DWORD STILL_ACTIVE = 259;

struct STARTUPINFOA {
    DWORD cb = sizeof(STARTUPINFOA);
};

struct PROCESS_INFORMATION {
    HANDLE hProcess = nullptr;
    HANDLE hThread = nullptr;
    DWORD dwProcessId = 0;
    DWORD dwThreadId = 0;
};

struct SECURITY_ATTRIBUTES;

// environment: null to inherit, else a block "NAME=value\0...\0\0". currentDirectory: null
// keeps the caller's. Fails with ERROR_INVALID_PARAMETER for a command line with an unclosed
// quote or no program, ERROR_FILE_NOT_FOUND / ERROR_ACCESS_DENIED / ERROR_BAD_FORMAT when the
// program cannot be run, ERROR_PATH_NOT_FOUND when currentDirectory is not a directory.
BOOL CreateProcessA(LPCSTR applicationName, LPSTR commandLine,
                    SECURITY_ATTRIBUTES *processAttributes, SECURITY_ATTRIBUTES *threadAttributes,
                    BOOL inheritHandles, DWORD creationFlags, void *environment,
                    LPCSTR currentDirectory, STARTUPINFOA *startupInfo,
                    PROCESS_INFORMATION *processInformation);

// STILL_ACTIVE while the process runs.
BOOL GetExitCodeProcess(HANDLE process, DWORD *exitCode);

namespace platform {

// The arguments of a command line; nullopt when a quote is not closed.
std::optional<std::vector<std::string>> SplitCommandLine(std::string_view commandLine);

} // namespace platform
