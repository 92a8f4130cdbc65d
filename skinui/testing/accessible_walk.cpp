#include "skinui/testing/accessible_walk.h"

#include <utility>

namespace SkinUI {

namespace {

std::wstring TakeText(BSTR text) {
  std::wstring copy = text != nullptr ? std::wstring(text, SysStringLen(text)) : std::wstring();
  SysFreeString(text);
  return copy;
}

VARIANT ChildVariant(LONG id) {
  VARIANT child;
  VariantInit(&child);
  V_VT(&child) = VT_I4;
  V_I4(&child) = id;
  return child;
}

AccessibleChildInfo ReadChild(IAccessible* parent, LONG id) {
  AccessibleChildInfo info;
  info.id = id;
  const VARIANT child = ChildVariant(id);
  ScopedVariant role;
  if (SUCCEEDED(parent->get_accRole(child, role.Pointer())) && role.Holds(VT_I4)) info.role = V_I4(&role.Get());
  ScopedVariant state;
  if (SUCCEEDED(parent->get_accState(child, state.Pointer())) && state.Holds(VT_I4)) info.state = V_I4(&state.Get());
  BSTR text = nullptr;
  if (SUCCEEDED(parent->get_accName(child, &text))) info.name = TakeText(text);
  text = nullptr;
  if (SUCCEEDED(parent->get_accValue(child, &text))) info.value = TakeText(text);
  text = nullptr;
  if (SUCCEEDED(parent->get_accDefaultAction(child, &text))) info.default_action = TakeText(text);
  LONG left = 0, top = 0, width = 0, height = 0;
  if (SUCCEEDED(parent->accLocation(&left, &top, &width, &height, child))) {
    info.location = {left, top, left + width, top + height};
  }
  return info;
}

}  // namespace

ComPtr<IAccessible> ClientAccessibleOf(HWND window, HRESULT* result) {
  ComPtr<IAccessible> client;
  *result = AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), IID_PPV_ARGS(&client));
  return client;
}

bool ReadAccessibleChildren(IAccessible* parent, std::vector<AccessibleChildInfo>* children, HRESULT* result) {
  children->clear();
  LONG count = 0;
  *result = parent->get_accChildCount(&count);
  if (FAILED(*result)) return false;
  std::vector<VARIANT> found(static_cast<size_t>(count));
  LONG obtained = 0;
  *result = count > 0 ? AccessibleChildren(parent, 0, count, found.data(), &obtained) : S_OK;
  if (FAILED(*result)) return false;
  for (LONG index = 0; index < obtained; ++index) {
    VARIANT& child = found[static_cast<size_t>(index)];
    // Simple elements come as ids; a child object (none in the toolkit's windows) is skipped.
    if (V_VT(&child) == VT_I4) children->push_back(ReadChild(parent, V_I4(&child)));
    VariantClear(&child);
  }
  return true;
}

std::wstring RoleText(LONG role) {
  switch (role) {
    case ROLE_SYSTEM_PUSHBUTTON:
      return L"ROLE_SYSTEM_PUSHBUTTON";
    case ROLE_SYSTEM_TEXT:
      return L"ROLE_SYSTEM_TEXT";
    case ROLE_SYSTEM_PROGRESSBAR:
      return L"ROLE_SYSTEM_PROGRESSBAR";
    case ROLE_SYSTEM_STATICTEXT:
      return L"ROLE_SYSTEM_STATICTEXT";
    case ROLE_SYSTEM_GRAPHIC:
      return L"ROLE_SYSTEM_GRAPHIC";
    case ROLE_SYSTEM_CLIENT:
      return L"ROLE_SYSTEM_CLIENT";
    default:
      return std::to_wstring(role);
  }
}

std::wstring StateText(LONG state) {
  static const std::pair<LONG, const wchar_t*> kStates[] = {
      {STATE_SYSTEM_FOCUSED, L"focused"},
      {STATE_SYSTEM_FOCUSABLE, L"focusable"},
      {STATE_SYSTEM_UNAVAILABLE, L"unavailable"},
      {STATE_SYSTEM_INVISIBLE, L"invisible"},
  };
  std::wstring text;
  for (const auto& [bit, word] : kStates) {
    if ((state & bit) == 0) continue;
    if (!text.empty()) text += L'|';
    text += word;
  }
  return text.empty() ? L"normal" : text;
}

}  // namespace SkinUI
