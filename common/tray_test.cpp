#include "common/tray.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

std::vector<std::pair<int, int>>* g_moves = nullptr;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_MOUSEMOVE && g_moves != nullptr && wparam == 0) {
    g_moves->emplace_back(LOWORD(lparam), HIWORD(lparam));
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

// The shell's notification-area windows, rebuilt in this process: classes registered here
// take precedence over system classes of the same name.
class FakeTaskbar {
 public:
  FakeTaskbar(int toolbar_width, int toolbar_height) {
    for (const wchar_t* name : kClasses) {
      WNDCLASSW window_class = {};
      window_class.lpfnWndProc = RecordingProc;
      window_class.hInstance = GetModuleHandleW(nullptr);
      window_class.lpszClassName = name;
      RegisterClassW(&window_class);
    }
    HWND parent = CreateWindowExW(0, kClasses[0], nullptr, WS_POPUP, 0, 0, 400, 40, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    taskbar_ = parent;
    for (int level = 1; level < 4 && parent != nullptr; ++level) {
      parent = CreateWindowExW(0, kClasses[level], nullptr, WS_CHILD, 0, 0, toolbar_width,
                               toolbar_height, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    toolbar_ = parent;
  }
  ~FakeTaskbar() {
    if (taskbar_ != nullptr) DestroyWindow(taskbar_);
    for (const wchar_t* name : kClasses) UnregisterClassW(name, GetModuleHandleW(nullptr));
  }
  FakeTaskbar(const FakeTaskbar&) = delete;
  FakeTaskbar& operator=(const FakeTaskbar&) = delete;

  HWND toolbar() const { return toolbar_; }

 private:
  static constexpr const wchar_t* kClasses[4] = {L"Shell_TrayWnd", L"TrayNotifyWnd", L"SysPager",
                                                 L"ToolbarWindow32"};
  HWND taskbar_ = nullptr;
  HWND toolbar_ = nullptr;
};

TEST(TrayTest, WithoutATaskbarThereIsNothingToRefresh) {
  std::vector<std::pair<int, int>> moves;
  g_moves = &moves;
  EXPECT_EQ(nullptr, FindTrayToolbar());
  EXPECT_FALSE(RefreshTrayIcons());
  g_moves = nullptr;
  EXPECT_TRUE(moves.empty());
}

TEST(TrayTest, SweepsTheToolbarOnAnEightPixelGridInsideItsBorder) {
  FakeTaskbar taskbar(34, 18);
  ASSERT_NE(nullptr, taskbar.toolbar());
  ASSERT_EQ(taskbar.toolbar(), FindTrayToolbar());

  std::vector<std::pair<int, int>> moves;
  g_moves = &moves;
  EXPECT_TRUE(RefreshTrayIcons());
  g_moves = nullptr;

  // x stays below 33 and y below 17; columns outer, rows inner.
  const std::vector<std::pair<int, int>> expected = {
      {1, 1}, {1, 9}, {9, 1}, {9, 9}, {17, 1}, {17, 9}, {25, 1}, {25, 9}};
  EXPECT_EQ(expected, moves);
}

TEST(TrayTest, AMissingLevelMeansNoToolbar) {
  WNDCLASSW window_class = {};
  window_class.lpfnWndProc = DefWindowProcW;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.lpszClassName = L"Shell_TrayWnd";
  ASSERT_NE(0, RegisterClassW(&window_class));
  HWND taskbar = CreateWindowExW(0, L"Shell_TrayWnd", nullptr, WS_POPUP, 0, 0, 100, 30, nullptr,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(nullptr, taskbar);
  ASSERT_EQ(taskbar, FindWindowW(L"Shell_TrayWnd", nullptr));
  EXPECT_EQ(nullptr, FindTrayToolbar());
  EXPECT_FALSE(RefreshTrayIcons());
  DestroyWindow(taskbar);
  UnregisterClassW(L"Shell_TrayWnd", GetModuleHandleW(nullptr));
}

}  // namespace
