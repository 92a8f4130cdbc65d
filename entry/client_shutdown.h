#pragma once
// Shutting down a running reading client before its files are replaced.
#include <windows.h>

#include "common/scoped_handle.h"

// Told to the client's window before it is terminated; the reply is ignored.
constexpr UINT WM_CLIENT_INSTALL_NOTICE = WM_USER + 888;
// Asked of the client's window; the reply is the number of notification icons it created.
constexpr UINT WM_CLIENT_TRAY_ICON_COUNT = WM_USER + 24;

// Finds the client by its window, or else by the process id it recorded, in either case only
// when the process runs Bokrin.exe; tells it, removes its notification icons, terminates it and
// waits a few seconds for it to end. Nothing happens when no client runs, and a window of
// another program with the client's title is neither told nor terminated.
void ShutDownRunningClient();

// Removes the notification-area icons owned by the windows of `client` (at most `icon_count`
// of them when that is above 0, all that are found otherwise). Does nothing without a taskbar.
// The handle is closed on return.
void RemoveClientTrayIcons(ScopedHandle client, int icon_count);
