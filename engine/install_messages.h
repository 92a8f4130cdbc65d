#pragma once
// The messages that the install engine posts to the wizard window.
#include <windows.h>

#include "engine/install_observer.h"

constexpr UINT WM_INSTALL_STATUS = WM_USER + 5;    // wParam: kStatusWide or kStatusNarrow936
constexpr UINT WM_INSTALL_PROGRESS = WM_USER + 6;  // lParam: 0..kProgressScale (common/progress_scale.h)
constexpr UINT WM_INSTALL_FINISHED = WM_USER + 7;
constexpr UINT WM_INSTALL_ERROR = WM_USER + 10;  // wParam: error mode, lParam: static wide text
// The last message of every installation, cancelled ones included; wParam: its ExitCode.
constexpr UINT WM_INSTALL_RESULT = WM_USER + 14;

// wParam of WM_INSTALL_STATUS.
constexpr WPARAM kStatusWide = 0;         // lParam: wide text with static lifetime
constexpr WPARAM kStatusNarrow936 = 1;    // lParam: malloc'ed code page 936 text, freed by the receiver

// wParam of WM_INSTALL_ERROR: what the wizard does after showing the box.
constexpr WPARAM kErrorStay = static_cast<WPARAM>(ErrorMode::kStay);
constexpr WPARAM kErrorBackToStart = static_cast<WPARAM>(ErrorMode::kBackToStart);
constexpr WPARAM kErrorQuit = static_cast<WPARAM>(ErrorMode::kQuit);
