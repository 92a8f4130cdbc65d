#include "skinui/utils/uishadow.h"

#include "common/scoped_handle.h"
#include "skinui/core/dib_section.h"
#include "skinui/core/pixel_painter.h"
#include "skinui/core/rect_convert.h"

namespace SkinUI {

namespace {

constexpr int kMaxShadowSize = 35;
constexpr wchar_t kShadowClassName[] = L"SkinUIShadow";
constexpr wchar_t kShadowProperty[] = L"SkinUI.CShadowUI";

bool RegisterShadowClass(HINSTANCE instance) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof(window_class);
  window_class.lpfnWndProc = DefWindowProcW;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.lpszClassName = kShadowClassName;
  return RegisterClassExW(&window_class) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

CShadowUI::~CShadowUI() {
  if (m_hParent != nullptr && m_pPreviousProc != nullptr) {
    SetWindowLongPtrW(m_hParent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pPreviousProc));
    RemovePropW(m_hParent, kShadowProperty);
  }
  if (m_hWnd != nullptr) DestroyWindow(m_hWnd);
}

bool CShadowUI::SetSize(int size) {
  if (size < -kMaxShadowSize || size > kMaxShadowSize) return false;
  m_nSize = size;
  return true;
}

bool CShadowUI::SetCorner(const RECT& corner) {
  if (corner.left < 0 || corner.top < 0 || corner.right < 0 || corner.bottom < 0) return false;
  m_rcCorner = corner;
  return true;
}

void CShadowUI::Create(HWND window, HINSTANCE instance, PictureCache& pictures) {
  if (!m_bEnabled || m_hWnd != nullptr || window == nullptr || !RegisterShadowClass(instance)) return;
  m_pPictures = &pictures;
  m_hParent = window;
  m_hWnd = CreateWindowExW(WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kShadowClassName,
                           nullptr, WS_POPUP, 0, 0, 0, 0, m_hParent, nullptr, instance, nullptr);
  if (m_hWnd == nullptr) return;
  SetPropW(m_hParent, kShadowProperty, this);
  m_pPreviousProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(m_hParent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CShadowUI::ParentProc)));
  if (IsWindowVisible(m_hParent)) ShowWithParent();
}

LRESULT CALLBACK CShadowUI::ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = static_cast<CShadowUI*>(GetPropW(window, kShadowProperty));
  if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  const WNDPROC previous = self->m_pPreviousProc;
  if (message == WM_DESTROY) {
    // The window goes: it gets its own procedure back and the shadow goes with it.
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    RemovePropW(window, kShadowProperty);
    self->m_pPreviousProc = nullptr;
    self->m_hParent = nullptr;
    if (self->m_hWnd != nullptr) DestroyWindow(self->m_hWnd);
    self->m_hWnd = nullptr;
  } else if (message == WM_PAINT) {
    // The shadow comes after the window's frame, so that it never delays the window's first one.
    const LRESULT result = CallWindowProcW(previous, window, message, wParam, lParam);
    if (auto* painted = static_cast<CShadowUI*>(GetPropW(window, kShadowProperty))) painted->OnParentPainted();
    return result;
  } else {
    self->OnParentMessage(message, wParam, lParam);
  }
  return CallWindowProcW(previous, window, message, wParam, lParam);
}

void CShadowUI::OnParentPainted() {
  m_bParentPainted = true;
  if (m_bUpdatePending) {
    m_bUpdatePending = false;
    Show(true);
  }
}

void CShadowUI::ShowWithParent() {
  if (m_bParentPainted) {
    Show(true);
  } else {
    m_bUpdatePending = true;
  }
}

void CShadowUI::OnParentMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_MOVE:
    case WM_WINDOWPOSCHANGED: {
      RECT window{};
      GetWindowRect(m_hParent, &window);
      SetWindowPos(m_hWnd, m_hParent, window.left - m_nSize, window.top - m_nSize, 0, 0,
                   SWP_NOSIZE | SWP_NOACTIVATE);
      break;
    }
    case WM_ACTIVATEAPP:
    case WM_NCACTIVATE:
      Restack();
      break;
    case WM_SIZE:
      if (wParam == SIZE_MINIMIZED || wParam == SIZE_MAXIMIZED) {
        Show(false);
      } else if (IsWindowVisible(m_hParent)) {
        const SIZE size{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        // A window that grew paints its new area later; the shadow waits for that paint.
        if (size.cx > m_szLast.cx || size.cy > m_szLast.cy) {
          m_bUpdatePending = true;
        } else {
          ShowWithParent();
        }
      }
      break;
    case WM_SHOWWINDOW:
      if (wParam != FALSE && !IsIconic(m_hParent) && !IsZoomed(m_hParent)) {
        ShowWithParent();
      } else {
        m_bUpdatePending = false;
        Show(false);
      }
      break;
    case WM_EXITSIZEMOVE:
      Update();
      break;
    default:
      break;
  }
}

void CShadowUI::Restack() {
  if (m_hWnd == nullptr || !IsWindowVisible(m_hWnd)) return;
  SetWindowPos(m_hWnd, m_hParent, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void CShadowUI::Show(bool show) {
  if (m_hWnd == nullptr) return;
  if (!show || IsIconic(m_hParent) || IsZoomed(m_hParent)) {
    ::ShowWindow(m_hWnd, SW_HIDE);
    return;
  }
  Update();
  ::ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
  Restack();
}

void CShadowUI::Update() {
  if (m_hWnd == nullptr || m_pPictures == nullptr) return;
  RECT window{};
  GetWindowRect(m_hParent, &window);
  m_szLast = {window.right - window.left, window.bottom - window.top};
  const int width = m_szLast.cx + 2 * m_nSize;
  const int height = m_szLast.cy + 2 * m_nSize;
  const DecodedPicture* picture = m_sImage.empty() ? nullptr : m_pPictures->Get(m_sImage);
  if (width <= 0 || height <= 0 || picture == nullptr) return;

  uint32_t* bits = nullptr;
  ScopedGdiObject bitmap = CreateTopDownDib(width, height, &bits);
  ScopedMemoryDc dc(CreateCompatibleDC(nullptr));
  if (!dc || bits == nullptr) return;
  const PixelView frame{bits, width, height, width};
  PixelPainter painter(frame);
  painter.DrawPicture(PictureView(*picture), UiRect{0, 0, picture->width, picture->height}, UiRect{0, 0, width, height},
                      ToUiRect(m_rcCorner), 255, true);

  ScopedSelection select(dc.Get(), bitmap.Get());
  POINT destination{window.left - m_nSize, window.top - m_nSize};
  SIZE size{width, height};
  POINT source{0, 0};
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  ScopedGetDc screen(nullptr);
  UpdateLayeredWindow(m_hWnd, screen.Get(), &destination, &size, dc.Get(), &source, 0, &blend, ULW_ALPHA);
}

}  // namespace SkinUI
