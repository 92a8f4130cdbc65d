#pragma once
// The product's fixed names, spelled once for the installer and the test tools. Tests keep
// their own literals on purpose, so that a wrong name here cannot agree with itself.

// Under HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER: where installations are recorded.
inline constexpr wchar_t kProductKey[] = L"SOFTWARE\\Bokrin";
// An open wizard's semaphore, window property and window title, by which a second installer
// finds it.
inline constexpr wchar_t kInstanceName[] = L"BokrinInstall";
// The title of the reading client's main window, by which the installer finds a running one.
inline constexpr wchar_t kClientWindowTitle[] = L"Bokrin阅读";
// The desktop and start-menu shortcuts: the folder's path followed by this.
inline constexpr wchar_t kLinkName[] = L"\\Bokrin阅读.lnk";
// The code page of the narrow status texts that the engine posts to the wizard.
inline constexpr unsigned kStatusCodePage = 936;
