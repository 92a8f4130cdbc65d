// Prints what a screen reader reads from a running installer window: its client object and every
// child, from another process, through oleacc as readers call it.
//
//   a11y-dump.exe [--wait SECONDS] [TITLE]
//
// TITLE is the window text to look for, "安装引导" (the wizard) by default; --wait gives a window
// that is still starting this long to appear. One line per child, in the tree's order:
//   ID ROLE "NAME" STATE at LEFT,TOP WIDTHxHEIGHT [value "VALUE"] [action "ACTION"]
// Exit code: 0 when the tree was read, 1 when no such window appeared, 2 when its accessible
// object could not be read from this process, 3 on a usage error.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "common/scoped_com.h"
#include "common/text_convert.h"
#include "skinui/testing/accessible_walk.h"

namespace {

using SkinUI::AccessibleChildInfo;

void PrintLine(const std::wstring& line) {
  const std::string text = Utf16ToUtf8(line.data(), line.size()) + '\n';
  std::fwrite(text.data(), 1, text.size(), stdout);
}

std::wstring Hex(HRESULT result) {
  wchar_t text[16];
  std::swprintf(text, 16, L"0x%08lX", static_cast<unsigned long>(result));
  return text;
}

std::wstring Describe(const AccessibleChildInfo& child) {
  std::wstring line = std::to_wstring(child.id) + L" " + SkinUI::RoleText(child.role) + L" \"" + child.name + L"\" " +
                      SkinUI::StateText(child.state) + L" at " + std::to_wstring(child.location.left) + L"," +
                      std::to_wstring(child.location.top) + L" " +
                      std::to_wstring(child.location.right - child.location.left) + L"x" +
                      std::to_wstring(child.location.bottom - child.location.top);
  if (!child.value.empty()) line += L" value \"" + child.value + L"\"";
  if (!child.default_action.empty()) line += L" action \"" + child.default_action + L"\"";
  return line;
}

HWND WaitForWindow(const wchar_t* title, DWORD wait_ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (HWND window = FindWindowW(nullptr, title)) return window;
    if (GetTickCount() - start >= wait_ms) return nullptr;
    Sleep(100);
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const wchar_t* title = L"安装引导";
  DWORD wait_ms = 0;
  for (int index = 1; index < argc; ++index) {
    if (std::wcscmp(argv[index], L"--wait") == 0 && index + 1 < argc) {
      wait_ms = static_cast<DWORD>(std::wcstoul(argv[++index], nullptr, 10)) * 1000;
    } else if (argv[index][0] == L'-') {
      PrintLine(L"usage: a11y-dump.exe [--wait SECONDS] [TITLE]");
      return 3;
    } else {
      title = argv[index];
    }
  }
  HWND window = WaitForWindow(title, wait_ms);
  if (window == nullptr) {
    PrintLine(L"a11y-dump: no window \"" + std::wstring(title) + L"\"");
    return 1;
  }
  ScopedComApartment com;
  HRESULT result = S_OK;
  ComPtr<IAccessible> client = SkinUI::ClientAccessibleOf(window, &result);
  std::vector<AccessibleChildInfo> children;
  if (!client || !SkinUI::ReadAccessibleChildren(client.Get(), &children, &result)) {
    PrintLine(L"a11y-dump: the window's accessible object cannot be read from this process (" + Hex(result) +
              L"); where the system cannot carry IAccessible calls between processes, only a reader in the "
              L"window's own process sees the tree");
    return 2;
  }
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  PrintLine(L"window \"" + std::wstring(text) + L"\": " + std::to_wstring(children.size()) + L" children");
  for (const AccessibleChildInfo& child : children) PrintLine(Describe(child));
  return 0;
}
