#include "skinui/control/uiedit.h"

#include <algorithm>

#include "skinui/core/paint_context.h"
#include "skinui/core/uimanager.h"

namespace SkinUI {

namespace {

constexpr DWORD kTipColor = 0xFFBAC0C5;
constexpr wchar_t kOwnerProperty[] = L"SkinUI.CEditUI";
// Posted by the native edit to itself: it closes once the message that lost it the focus is over.
constexpr UINT kCloseNativeEditMessage = WM_APP + 0x3F01;

}  // namespace

CEditUI::~CEditUI() {
  if (m_hNativeEdit != nullptr) {
    RemovePropW(m_hNativeEdit, kOwnerProperty);
    DestroyWindow(m_hNativeEdit);
  }
}

const wchar_t* CEditUI::GetClass() const { return L"EditUI"; }

CSkinString CEditUI::GetText() const {
  if (m_hNativeEdit == nullptr) return m_sText;
  const int length = GetWindowTextLengthW(m_hNativeEdit);
  CSkinString text(static_cast<size_t>(length) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(m_hNativeEdit, &text[0], length + 1)));
  return text;
}

void CEditUI::SetText(const CSkinString& text) {
  CLabelUI::SetText(text);
  if (m_hNativeEdit != nullptr) SetWindowTextW(m_hNativeEdit, text.c_str());
}

void CEditUI::SetEnabled(bool enabled) {
  if (!enabled) CloseNativeEdit();
  CLabelUI::SetEnabled(enabled);
}

void CEditUI::SetVisible(bool visible) {
  if (!visible) CloseNativeEdit();
  CLabelUI::SetVisible(visible);
}

const ControlAttributes& CEditUI::Attributes() {
  static const ControlAttributeTable<CEditUI> table(
      {
          {L"maxchar", [](CEditUI& edit, WStringView value) { edit.m_uMaxChar = std::max(ParseInteger(value), 0); }},
          {L"tipvalue", [](CEditUI& edit, WStringView value) { edit.m_sTipValue = CSkinString(value); }},
      },
      &CLabelUI::Attributes());
  return table;
}

void CEditUI::DoEvent(TEventUI& event) {
  if (IsEnabled()) {
    switch (event.type) {
      case EventType::kButtonDown:
        OpenNativeEdit();
        return;
      case EventType::kSetFocus:
        OpenNativeEdit();
        break;
      case EventType::kKillFocus:
        // The focus went to another control, by the mouse, by Tab or by the window's code.
        CloseNativeEdit();
        break;
      case EventType::kKeyDown:
        // The focus stayed after Enter or Escape closed the native edit: Enter opens it again.
        if (event.wParam == VK_RETURN) {
          OpenNativeEdit();
          return;
        }
        break;
      default:
        break;
    }
  }
  CLabelUI::DoEvent(event);
}

void CEditUI::SetPos(const RECT& rect) {
  CLabelUI::SetPos(rect);
  if (m_hNativeEdit == nullptr) return;
  // The native edit follows when the layout moves the control.
  RECT place = NativeEditRect();
  if ((GetWindowLongW(m_hNativeEdit, GWL_STYLE) & WS_CHILD) == 0) {
    MapWindowPoints(m_pManager->GetPaintWindow(), nullptr, reinterpret_cast<POINT*>(&place), 2);
  }
  SetWindowPos(m_hNativeEdit, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT CEditUI::NativeEditRect() const {
  RECT place = TextRect();
  if (m_pManager != nullptr) {
    const LONG font_height = m_pManager->Fonts().Get(m_iFont).metrics.tmHeight;
    const LONG height = place.bottom - place.top;
    if (font_height > 0 && font_height < height) {
      place.top += (height - font_height) / 2;
      place.bottom = place.top + font_height;
    }
  }
  for (const CControlUI* ancestor = GetParent(); ancestor != nullptr; ancestor = ancestor->GetParent()) {
    RECT visible{};
    if (!IntersectRect(&visible, &place, &ancestor->GetPos())) return RECT{place.left, place.top, place.left, place.top};
    place = visible;
  }
  return place;
}

void CEditUI::PaintText(PaintContext& context) {
  const CSkinString text = GetText();
  const bool show_tip = text.empty() || text == m_sTipValue;
  const CSkinString& shown = show_tip ? m_sTipValue : text;
  if (shown.empty()) return;
  context.DrawText(TextRect(), shown, m_iFont, show_tip ? kTipColor : TextColor(),
                   DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX | DT_EDITCONTROL);
}

void CEditUI::OpenNativeEdit() {
  if (m_pManager == nullptr || m_pManager->GetPaintWindow() == nullptr) return;
  if (m_hNativeEdit != nullptr) {
    ::SetFocus(m_hNativeEdit);
    return;
  }
  HWND window = m_pManager->GetPaintWindow();
  RECT place = NativeEditRect();
  if (place.right <= place.left || place.bottom <= place.top) return;
  DWORD style = ES_AUTOHSCROLL | WS_VISIBLE;
  HWND parent = window;
  if (m_pManager->IsLayered()) {
    style |= WS_POPUP;
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&place), 2);
  } else {
    style |= WS_CHILD;
  }
  m_hNativeEdit = CreateWindowExW(m_pManager->IsLayered() ? WS_EX_TOOLWINDOW : 0, L"EDIT", nullptr, style,
                                  place.left, place.top, place.right - place.left, place.bottom - place.top, parent,
                                  nullptr, CSkinManagerUI::GetInstance(), nullptr);
  if (m_hNativeEdit == nullptr) return;
  SetPropW(m_hNativeEdit, kOwnerProperty, this);
  m_pNativeEditProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(m_hNativeEdit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CEditUI::NativeEditProc)));
  ::SendMessageW(m_hNativeEdit, WM_SETFONT, reinterpret_cast<WPARAM>(m_pManager->Fonts().Get(m_iFont).Handle()),
                 FALSE);
  ::SendMessageW(m_hNativeEdit, EM_LIMITTEXT, static_cast<WPARAM>(m_uMaxChar), 0);
  SetWindowTextW(m_hNativeEdit, m_sText.c_str());
  const int end = GetWindowTextLengthW(m_hNativeEdit);
  ::SendMessageW(m_hNativeEdit, EM_SETSEL, static_cast<WPARAM>(end), static_cast<LPARAM>(end));
  ::SetFocus(m_hNativeEdit);
  Invalidate();
}

void CEditUI::CloseNativeEdit() {
  if (m_hNativeEdit == nullptr) return;
  HWND edit = m_hNativeEdit;
  m_sText = GetText();
  // Destroyed with the focus, it would leave no window to hear the keys.
  if (::GetFocus() == edit) ::SetFocus(m_pManager->GetPaintWindow());
  m_hNativeEdit = nullptr;
  RemovePropW(edit, kOwnerProperty);
  DestroyWindow(edit);
  Invalidate();
}

LRESULT CALLBACK CEditUI::NativeEditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = static_cast<CEditUI*>(GetPropW(window, kOwnerProperty));
  // Once its owner let go (while it is destroyed), the window is the class's plain edit again.
  const WNDPROC edit_proc = self != nullptr ? self->m_pNativeEditProc
                                            : reinterpret_cast<WNDPROC>(GetClassLongPtrW(window, GCLP_WNDPROC));
  if (self != nullptr) {
    switch (message) {
      case WM_KILLFOCUS:
        self->m_sText = self->GetText();
        PostMessageW(window, kCloseNativeEditMessage, 0, 0);
        break;
      case kCloseNativeEditMessage:
        if (GetFocus() != window) self->CloseNativeEdit();
        return 0;
      case WM_KEYDOWN:
        if (wParam == VK_RETURN || wParam == VK_ESCAPE) {
          self->CloseNativeEdit();
          return 0;
        }
        if (wParam == VK_TAB) {
          // Last: the focus moving on closes this edit.
          self->m_pManager->MoveFocus(GetKeyState(VK_SHIFT) >= 0);
          return 0;
        }
        break;
      case WM_MOUSEMOVE: {
        // The leave is what ends a tip shown over this window.
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, window, 0};
        TrackMouseEvent(&track);
        self->m_pManager->OnChildWindowPointer(window, message, wParam, lParam);
        break;
      }
      case WM_MOUSELEAVE:
      case WM_LBUTTONDOWN:
      case WM_RBUTTONDOWN:
      case WM_MOUSEWHEEL:
        self->m_pManager->OnChildWindowPointer(window, message, wParam, lParam);
        break;
      case WM_CHAR:
        // The Tab already moved the focus; the edit would only beep at its character.
        if (wParam == L'\t') return 0;
        self->Invalidate();
        break;
      default:
        break;
    }
  }
  return CallWindowProcW(edit_proc, window, message, wParam, lParam);
}

}  // namespace SkinUI
