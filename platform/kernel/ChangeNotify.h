#pragma once
// Directory change notification on inotify. One directory, not its sub-directories: entries
// created, deleted or renamed directly in it (FILE_NAME / DIR_NAME), and optionally attribute,
// size and write changes. The handle is waited on with WaitForSingleObject and becomes
// signalled at the first matching change; FindNextChangeNotification re-arms it, and changes
// made in the meantime signal it again.

#include "platform/kernel/Handles.h"

constexpr DWORD FILE_NOTIFY_CHANGE_FILE_NAME = 0x001;
constexpr DWORD FILE_NOTIFY_CHANGE_DIR_NAME = 0x002;
constexpr DWORD FILE_NOTIFY_CHANGE_ATTRIBUTES = 0x004;
constexpr DWORD FILE_NOTIFY_CHANGE_SIZE = 0x008;
constexpr DWORD FILE_NOTIFY_CHANGE_LAST_WRITE = 0x010;

// INVALID_HANDLE_VALUE on failure (ERROR_PATH_NOT_FOUND, ERROR_INVALID_PARAMETER for an empty
// filter, ERROR_NOT_SUPPORTED for watchSubtree).
HANDLE FindFirstChangeNotificationA(LPCSTR pathName, BOOL watchSubtree, DWORD notifyFilter);
BOOL FindNextChangeNotification(HANDLE changeHandle);
BOOL FindCloseChangeNotification(HANDLE changeHandle);
