// The yardstick for the installer's start: the least a Win32 program does to put a painted
// 800x550 window on the screen (a class, a centred pop-up window, a GDI paint of two colours),
// built with the same compiler and options. Alt+F4 ends it.
#include <windows.h>

namespace {

LRESULT CALLBACK BareWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      RECT client;
      GetClientRect(window, &client);
      // Two colours, so a frame can be told from an unpainted window of one colour.
      RECT top = client;
      top.bottom /= 2;
      RECT bottom = client;
      bottom.top = top.bottom;
      FillRect(dc, &top, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
      FillRect(dc, &bottom, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
      EndPaint(window, &paint);
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = BareWindowProc;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.lpszClassName = L"BareWindow";
  if (RegisterClassW(&window_class) == 0) return 1;
  const int width = 800;
  const int height = 550;
  HWND window = CreateWindowExW(0, L"BareWindow", L"bare window", WS_POPUP | WS_SYSMENU,
                                (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                                (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, nullptr,
                                nullptr, instance, nullptr);
  if (window == nullptr) return 1;
  ShowWindow(window, show);
  UpdateWindow(window);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
