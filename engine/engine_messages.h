#pragma once
// Posting the engine's messages to the wizard window; posting never waits for the wizard.
#include <windows.h>

#include <cstdint>
#include <string>

// `text` must live as long as the process.
void PostStatus(HWND window, const wchar_t* text);
// Sends a heap copy of `text` (code page 936 bytes) that the window frees once it has the
// message; the copy is freed here when the message cannot be queued.
void PostNarrowStatus(HWND window, const std::string& text);
void PostProgress(HWND window, int32_t value);
// `text` must live as long as the process.
void PostError(HWND window, WPARAM mode, const wchar_t* text);
