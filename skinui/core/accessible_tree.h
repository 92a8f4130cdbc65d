#pragma once
// The window's controls as screen readers see them: the client area of every toolkit window is
// one IAccessible object whose children are the controls that say something (buttons, edits,
// progress bars, labels with text or a picture), flattened out of their containers in skin
// order. A child's id is its place in that order plus one; the tree is built once, so the ids
// stay while pages are switched, and the controls of hidden pages are children marked invisible.
#include <windows.h>

#include <vector>

#include "skinui/core/accessible_element.h"

namespace SkinUI {

class CControlUI;
class CSkinManagerUI;

// The listed controls below `root`, in skin order.
std::vector<CControlUI*> AccessibleControls(CControlUI* root);
// What a screen reader is told about `control` now.
AccessibleElement DescribeControl(const CControlUI& control);

// Answers WM_GETOBJECT for the client area of `window`; false leaves every other object to the
// window's default procedure.
bool AnswerGetObject(HWND window, WPARAM wParam, LPARAM lParam, LRESULT& result);

// Raises the WinEvent `event` (EVENT_OBJECT_*) for the element of `control`, or for the client
// area when the control is not listed. Nothing while the manager has no window.
void NotifyAccessibleEvent(DWORD event, const CControlUI* control);
// EVENT_OBJECT_SHOW for every listed control below `subtree` that is shown now.
void NotifyAccessibleShown(CControlUI* subtree);

}  // namespace SkinUI
