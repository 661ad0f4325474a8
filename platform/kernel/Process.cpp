#include "platform/kernel/Process.h"

#include "platform/kernel/KernelObject.h"

#include <cerrno>
#include <mutex>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char **environ;

namespace platform {
namespace {

class Process final : public KernelObject {
public:
    explicit Process(pid_t pid) : FPid(pid), FPidFd(int(::syscall(SYS_pidfd_open, pid, 0))) {}

    ~Process() override {
        if (FPidFd >= 0)
            ::close(FPidFd);
        if (!FEnded && !Reap()) {
            // Still running: reap it when it ends, so that it leaves no zombie behind.
            std::thread([pid = FPid] { ::waitpid(pid, nullptr, 0); }).detach();
        }
    }

    DWORD Wait(DWORD timeoutMs) override {
        const WaitDeadline deadline(timeoutMs);
        std::lock_guard lock(FMutex);
        while (!Reap()) {
            const int remaining = deadline.RemainingMs();
            if (remaining == 0)
                return WAIT_TIMEOUT;
            if (FPidFd >= 0) {
                pollfd p{FPidFd, POLLIN, 0};
                ::poll(&p, 1, remaining);
            } else {
                ::usleep(useconds_t(remaining < 0 || remaining > 5 ? 5000 : remaining * 1000));
            }
        }
        return WAIT_OBJECT_0;
    }

    // STILL_ACTIVE while running; nullopt when the exit status was taken by someone else.
    std::optional<DWORD> ExitCode() {
        std::lock_guard lock(FMutex);
        if (!Reap())
            return STILL_ACTIVE;
        return FExitCode;
    }

private:
    // True once the process has ended (collecting its status on the first call that sees it).
    bool Reap() {
        if (FEnded)
            return true;
        int status = 0;
        pid_t got = 0;
        do {
            got = ::waitpid(FPid, &status, WNOHANG);
        } while (got < 0 && errno == EINTR);
        if (got == 0)
            return false;
        FEnded = true;
        if (got < 0)
            FExitCode.reset();
        else if (WIFEXITED(status))
            FExitCode = DWORD(WEXITSTATUS(status));
        else
            FExitCode = DWORD(128 + WTERMSIG(status));
        return true;
    }

    std::mutex FMutex;
    pid_t FPid = 0;
    int FPidFd = -1;
    bool FEnded = false;
    std::optional<DWORD> FExitCode;
};

LONG SpawnError(int error) {
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return ERROR_FILE_NOT_FOUND;
    case EACCES:
    case EPERM:
        return ERROR_ACCESS_DENIED;
    case ENOEXEC:
        return ERROR_BAD_FORMAT;
    case ENOMEM:
    case EAGAIN:
        return ERROR_NOT_ENOUGH_MEMORY;
    default:
        return ERROR_INVALID_PARAMETER;
    }
}

std::vector<std::string> EnvironmentBlock(const char *block) {
    std::vector<std::string> variables;
    for (const char *p = block; *p; p += variables.back().size() + 1)
        variables.emplace_back(p);
    return variables;
}

std::vector<char *> Pointers(std::vector<std::string> &strings) {
    std::vector<char *> pointers;
    for (std::string &s : strings)
        pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
}

struct SpawnActions final {
    SpawnActions() { ::posix_spawn_file_actions_init(&actions); }
    ~SpawnActions() { ::posix_spawn_file_actions_destroy(&actions); }
    SpawnActions(const SpawnActions &) = delete;
    SpawnActions &operator=(const SpawnActions &) = delete;
    posix_spawn_file_actions_t actions;
};

} // namespace
} // namespace platform

using platform::Process;

BOOL CreateProcessA(LPCSTR applicationName, LPSTR commandLine, SECURITY_ATTRIBUTES *,
                    SECURITY_ATTRIBUTES *, BOOL, DWORD, void *environment, LPCSTR currentDirectory,
                    STARTUPINFOA *, PROCESS_INFORMATION *processInformation) {
    auto fail = [](LONG error) {
        SetLastError(DWORD(error));
        return FALSE;
    };
    if (!processInformation)
        return fail(ERROR_INVALID_PARAMETER);
    auto arguments = platform::SplitCommandLine(commandLine ? commandLine : "");
    if (!arguments)
        return fail(ERROR_INVALID_PARAMETER);
    const bool named = applicationName && *applicationName;
    if (arguments->empty() && named)
        arguments->push_back(applicationName);
    if (arguments->empty() || (*arguments)[0].empty())
        return fail(ERROR_INVALID_PARAMETER);
    const std::string program = named ? applicationName : arguments->front();

    platform::SpawnActions actions;
    if (currentDirectory && *currentDirectory) {
        struct stat info {};
        if (::stat(currentDirectory, &info) != 0 || !S_ISDIR(info.st_mode))
            return fail(ERROR_PATH_NOT_FOUND);
        ::posix_spawn_file_actions_addchdir_np(&actions.actions, currentDirectory);
    }
    std::vector<std::string> variables;
    if (environment)
        variables = platform::EnvironmentBlock(static_cast<const char *>(environment));
    std::vector<char *> argv = platform::Pointers(*arguments);
    std::vector<char *> envp = platform::Pointers(variables);

    pid_t pid = 0;
    const bool search = !named && program.find('/') == std::string::npos;
    const int error =
        (search ? ::posix_spawnp : ::posix_spawn)(&pid, program.c_str(), &actions.actions, nullptr,
                                                  argv.data(), environment ? envp.data() : environ);
    if (error != 0)
        return fail(platform::SpawnError(error));

    const auto process = std::make_shared<Process>(pid);
    processInformation->hProcess = platform::InsertHandle(process);
    processInformation->hThread = platform::InsertHandle(process);
    processInformation->dwProcessId = DWORD(pid);
    processInformation->dwThreadId = DWORD(pid);
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL GetExitCodeProcess(HANDLE process, DWORD *exitCode) {
    const auto object = platform::FindHandleAs<Process>(process);
    if (!object || !exitCode) {
        SetLastError(object ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
        return FALSE;
    }
    const auto code = object->ExitCode();
    if (!code) {
        SetLastError(ERROR_INVALID_DATA);
        return FALSE;
    }
    *exitCode = *code;
    return TRUE;
}
