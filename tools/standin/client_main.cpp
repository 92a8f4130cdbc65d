// Stand-in for the reading client: the window, messages, process id record and notification
// icons that the installer relies on, plus two files beside the executable that tests read:
// "launch-args.txt" (the command line it was started with, UTF-8) and "messages.log" (one line
// per installer message received).
// Options: "--icons=N" (default 1) icons to create; "--untitled" leaves the window without the
// client's title, as if it could not be found. Any other argument is accepted and ignored.
#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#include <string>

#include "common/product_names.h"
#include "common/registry.h"
#include "common/text_convert.h"
#include "tools/standin/standin_files.h"

namespace {

constexpr UINT kInstallNotice = WM_USER + 888;
constexpr UINT kTrayIconCount = WM_USER + 24;
constexpr UINT kTrayCallback = WM_APP + 1;

struct Options {
  int icons = 1;
  bool titled = true;
};

Options ParseOptions() {
  Options options;
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv == nullptr) return options;
  for (int i = 1; i < argc; ++i) {
    if (wcsncmp(argv[i], L"--icons=", 8) == 0) {
      options.icons = _wtoi(argv[i] + 8);
    } else if (wcscmp(argv[i], L"--untitled") == 0) {
      options.titled = false;
    }
  }
  LocalFree(argv);
  return options;
}

int g_icons_created = 0;

LRESULT CALLBACK ClientWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case kInstallNotice:
      AppendBesideExecutable(L"messages.log", "1912\r\n");
      return 0;
    case kTrayIconCount:
      AppendBesideExecutable(L"messages.log", "1048\r\n");
      return g_icons_created;
    case WM_DESTROY:
      for (int id = 1; id <= g_icons_created; ++id) {
        NOTIFYICONDATAW icon = {};
        icon.cbSize = sizeof(icon);
        icon.hWnd = window;
        icon.uID = id;
        Shell_NotifyIconW(NIM_DELETE, &icon);
      }
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

void AddTrayIcons(HWND window, int count) {
  for (int id = 1; id <= count; ++id) {
    NOTIFYICONDATAW icon = {};
    icon.cbSize = sizeof(icon);
    icon.hWnd = window;
    icon.uID = id;
    icon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    icon.uCallbackMessage = kTrayCallback;
    icon.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    wcscpy(icon.szTip, kClientWindowTitle);
    if (Shell_NotifyIconW(NIM_ADD, &icon)) g_icons_created = id;
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  WriteBesideExecutable(L"launch-args.txt", WideToCodePage(CP_UTF8, GetCommandLineW()));
  const Options options = ParseOptions();
  {
    const ScopedRegKey key = RegOpenOrCreateKey(HKEY_CURRENT_USER, kProductKey);
    RegWriteValue(key.Get(), L"BokrinID", REG_SZ, std::to_wstring(GetCurrentProcessId()));
  }

  WNDCLASSW window_class = {};
  window_class.lpfnWndProc = ClientWindowProc;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  window_class.lpszClassName = L"BokrinStandInClient";
  RegisterClassW(&window_class);
  const HWND window = CreateWindowExW(0, window_class.lpszClassName,
                                      options.titled ? kClientWindowTitle : L"", WS_OVERLAPPEDWINDOW,
                                      CW_USEDEFAULT, CW_USEDEFAULT, 480, 320, nullptr, nullptr,
                                      instance, nullptr);
  if (window == nullptr) return 1;
  AddTrayIcons(window, options.icons);
  if (options.titled) ShowWindow(window, show);

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
