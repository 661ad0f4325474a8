#include "util/utility.h"

#include "platform/kernel/ChangeNotify.h"

namespace {

// Re-arming stops after this many rounds, so that a directory changing without pause cannot
// hold the caller for ever; what is left is reported by the next call.
constexpr int kMaxRearmRounds = 100;

} // namespace

TDirChangeChecker::TDirChangeChecker() = default;

TDirChangeChecker::~TDirChangeChecker() {
    if (FChangeHandle != INVALID_HANDLE_VALUE)
        FindCloseChangeNotification(FChangeHandle);
}

void TDirChangeChecker::SetDirectory(const std::string &path) {
    if (path != FDirectory) {
        if (FChangeHandle != INVALID_HANDLE_VALUE)
            FindCloseChangeNotification(FChangeHandle);
        FChangeHandle = FindFirstChangeNotificationA(
            path.c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME);
    }
    FDirectory = path;
}

bool TDirChangeChecker::HasChanged() {
    if (FChangeHandle == INVALID_HANDLE_VALUE ||
        WaitForSingleObject(FChangeHandle, 0) != WAIT_OBJECT_0)
        return false;
    for (int round = 0; round < kMaxRearmRounds; ++round) {
        if (!FindNextChangeNotification(FChangeHandle) ||
            WaitForSingleObject(FChangeHandle, 0) != WAIT_OBJECT_0)
            break;
    }
    return true;
}
