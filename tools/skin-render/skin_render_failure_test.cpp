// A skin that does not build ends a skin-built window's process with the toolkit's box, never
// with a crash: skin-render.exe is run on broken skins, its box is read and answered, and its
// exit code checked.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "common/scoped_handle.h"
#include "common/testing/scoped_temp_dir.h"

namespace {

struct BrokenSkin {
  const char* what;
  const wchar_t* name;
  std::string content;  // not written when empty: the file is missing
};

// The text of the first top-level window titled "SkinUI" of `process`, after answering it with
// OK; empty when none came within the timeout.
std::wstring AnswerBox(DWORD process, DWORD timeout_ms) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < timeout_ms) {
    HWND box = nullptr;
    while ((box = FindWindowExW(nullptr, box, nullptr, L"SkinUI")) != nullptr) {
      DWORD owner = 0;
      GetWindowThreadProcessId(box, &owner);
      if (owner != process) continue;
      wchar_t text[512]{};
      GetDlgItemTextW(box, 0xFFFF, text, 512);
      PostMessageW(box, WM_COMMAND, IDOK, 0);
      return text;
    }
    Sleep(50);
  }
  return {};
}

class BrokenSkinTest : public testing::TestWithParam<BrokenSkin> {};

TEST_P(BrokenSkinTest, ShowsTheLoadFailureBoxAndExitsWithOne) {
  const BrokenSkin& skin = GetParam();
  ScopedTempDir folder;
  ASSERT_FALSE(folder.path().empty());
  if (!skin.content.empty()) {
    std::ofstream((folder.path() + skin.name).c_str(), std::ios::binary) << skin.content;
  }
  std::wstring command = L"\"" BOKRIN_SKIN_RENDER L"\" --skin " + std::wstring(skin.name) + L" --from \"" +
                         folder.path().substr(0, folder.path().size() - 1) + L"\" --out \"" + folder.path() +
                         L"out.png\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
  ScopedHandle process_handle(process.hProcess);
  ScopedHandle thread_handle(process.hThread);

  EXPECT_EQ(AnswerBox(process.dwProcessId, 20000), std::wstring(L"加载资源文件失败：") + skin.name) << skin.what;
  ASSERT_EQ(WaitForSingleObject(process.hProcess, 20000), WAIT_OBJECT_0) << skin.what;
  DWORD exit_code = 0;
  GetExitCodeProcess(process.hProcess, &exit_code);
  EXPECT_EQ(exit_code, 1u) << skin.what;
}

INSTANTIATE_TEST_SUITE_P(
    Skins, BrokenSkinTest,
    testing::Values(BrokenSkin{"unclosed element", L"unclosed.xml", "<Window><VerticalLayout></Window>"},
                    BrokenSkin{"unquoted value", L"unquoted.xml", "<Window size=800,550><Control/></Window>"},
                    BrokenSkin{"5 MiB file", L"large.xml",
                               "<Window>" + std::string(5 * 1024 * 1024, ' ') + "<Control/></Window>"},
                    BrokenSkin{"missing file", L"missing.xml", ""},
                    BrokenSkin{"no control", L"empty.xml", "<Window></Window>"}));

}  // namespace
