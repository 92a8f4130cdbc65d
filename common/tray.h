#pragma once
#include <windows.h>

// The toolbar that holds the notification-area icons, or null without a taskbar.
HWND FindTrayToolbar();
// Sweeps the mouse over the notification area, so that the shell drops icons whose owner
// has ended. False when there is no notification area.
bool RefreshTrayIcons();
