#pragma once
// The messages of the wizard's own windows and threads (the engine's are in
// engine/install_messages.h).
#include <windows.h>

constexpr UINT WM_TIP_OK = WM_USER + 3;                 // the message box answers OK
constexpr UINT WM_WIZARD_START_INSTALL = WM_USER + 4;   // lParam 1: with the custom page's directories
constexpr UINT WM_CAROUSEL_RESET = WM_USER + 8;
constexpr UINT WM_CAROUSEL_STEP = WM_USER + 9;          // lParam: units to move the strip left
constexpr UINT WM_WIZARD_START_READING = WM_USER + 11;
constexpr UINT WM_WIZARD_ACTIVATE = WM_USER + 13;       // from a second installer: come forward
