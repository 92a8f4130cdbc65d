#pragma once
// Reads a window's accessible tree as a screen reader would, through oleacc: the client object
// of the window and what it says of each of its children. For the toolkit's tests and for
// tools/a11y-dump, which reads another process's window.
#include <windows.h>
#include <oleacc.h>

#include <string>
#include <vector>

#include "common/scoped_com.h"

namespace SkinUI {

struct AccessibleChildInfo {
  LONG id = 0;
  LONG role = 0;
  std::wstring name;
  LONG state = 0;
  RECT location{};  // screen pixels: left, top, right, bottom
  std::wstring value;
  std::wstring default_action;
};

// The client object of `window` (WM_GETOBJECT with OBJID_CLIENT); its failure in `result`.
ComPtr<IAccessible> ClientAccessibleOf(HWND window, HRESULT* result);

// Every child of `parent` that AccessibleChildren gives, with its properties; missing properties
// stay empty. False, with the failure in `result`, when the children cannot be read.
bool ReadAccessibleChildren(IAccessible* parent, std::vector<AccessibleChildInfo>* children, HRESULT* result);

// "ROLE_SYSTEM_PUSHBUTTON" and the like; the number for a role not used here.
std::wstring RoleText(LONG role);
// "focused|focusable", "normal" for none.
std::wstring StateText(LONG state);

}  // namespace SkinUI
