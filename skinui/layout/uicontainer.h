#pragma once
// Controls that hold controls: the plain container, which lays every child over its whole area,
// and the vertical, horizontal and tab layouts. Where children go is decided by the layout
// arithmetic; these classes feed it the children's declarations and place the children.
#include <memory>
#include <vector>

#include "skinui/control/uicontrol.h"
#include "skinui/layout/layout_arithmetic.h"

namespace SkinUI {

class CContainerUI : public CControlUI {
 public:
  const wchar_t* GetClass() const override;
  CContainerUI* AsContainer() override { return this; }

  // Takes the control and appends it; false (and the control is gone) for no control.
  virtual bool Add(std::unique_ptr<CControlUI> control);
  int GetCount() const { return static_cast<int>(m_items.size()); }
  CControlUI* GetItemAt(int index) const;
  // The first control of that name below this one, or null.
  CControlUI* FindSubControl(const wchar_t* name);

  void SetManager(CSkinManagerUI* manager, CControlUI* parent, bool init = true) override;
  void SetPos(const RECT& rect) override;
  CControlUI* FindControlAt(POINT point) override;
  void VisitTree(const std::function<void(CControlUI&)>& visit) override;
  void UpdatePendingLayout() override;

 protected:
  static const ControlAttributes& Attributes();
  const ControlAttributes& AttributesOfClass() const override { return Attributes(); }
  void PaintChildren(PaintContext& context) override;
  // Where each child goes inside `rect`; the plain container's rule by default.
  virtual ChildRects Arrange(const RECT& rect, const std::vector<LayoutChild>& children);
  // The inset as written in the skin.
  const UiRect& Inset() const { return m_inset; }
  DpiScale LayoutScale() const;

  std::vector<std::unique_ptr<CControlUI>> m_items;

 private:
  UiRect m_inset;
};

class CVerticalLayoutUI : public CContainerUI {
 public:
  const wchar_t* GetClass() const override;

 protected:
  ChildRects Arrange(const RECT& rect, const std::vector<LayoutChild>& children) override;
};

class CHorizontalLayoutUI : public CContainerUI {
 public:
  const wchar_t* GetClass() const override;

 protected:
  ChildRects Arrange(const RECT& rect, const std::vector<LayoutChild>& children) override;
};

class CTabLayoutUI : public CContainerUI {
 public:
  const wchar_t* GetClass() const override;

  // The first child becomes the shown page; every later one starts hidden.
  bool Add(std::unique_ptr<CControlUI> control) override;
  int GetCurSel() const { return m_iCurSel; }
  // Shows the page at `index`, hides the others and sends "tabselect" (wParam the new index,
  // lParam the old one). The page shown already, or an index out of range, changes nothing.
  bool SelectItem(int index);

 protected:
  ChildRects Arrange(const RECT& rect, const std::vector<LayoutChild>& children) override;

 private:
  int m_iCurSel = -1;
};

}  // namespace SkinUI
