#pragma once
// The base of every control: a rectangle in the window, what the skin declared for the parent's
// layout, the common attributes and the painting order that every control follows (background
// colour, background picture, state picture, foreground picture, text, border).
#include <windows.h>

#include <functional>
#include <vector>

#include "skinui/core/attribute_table.h"
#include "skinui/core/skin_markup.h"
#include "skinui/core/uidefine.h"
#include "skinui/layout/layout_child.h"

namespace SkinUI {

class CContainerUI;
class CControlUI;
class CSkinManagerUI;
class PaintContext;

// The attributes of a control class: its own table extends the table of the class it derives
// from.
using ControlAttributes = AttributeLookup<CControlUI>;
template <class Control>
using ControlAttributeTable = AttributeTable<CControlUI, Control>;

class CControlUI {
 public:
  CControlUI() = default;
  // A control that goes leaves nothing of itself in its window's manager.
  virtual ~CControlUI();
  CControlUI(const CControlUI&) = delete;
  CControlUI& operator=(const CControlUI&) = delete;

  // The class name without its "C" prefix, as the caption hit test compares it: "ControlUI".
  virtual const wchar_t* GetClass() const;
  // The container side of a control that holds children, or null.
  virtual CContainerUI* AsContainer() { return nullptr; }

  const CSkinString& GetName() const { return m_sName; }
  void SetName(const CSkinString& name) { m_sName = name; }
  virtual CSkinString GetText() const { return m_sText; }
  virtual void SetText(const CSkinString& text);
  const CSkinString& GetToolTip() const { return m_sToolTip; }
  void SetToolTip(const CSkinString& text);
  // The name a screen reader says for a control whose text and tooltip are empty.
  const CSkinString& GetAccName() const { return m_sAccName; }
  // A background or foreground picture is set: a label without text still shows something.
  bool HasPicture() const { return !m_sBkImage.empty() || !m_sForeImage.empty(); }

  CSkinManagerUI* GetManager() const { return m_pManager; }
  CControlUI* GetParent() const { return m_pParent; }
  // Joins a window: with `init`, the control's name goes into the manager's name map.
  virtual void SetManager(CSkinManagerUI* manager, CControlUI* parent, bool init = true);

  // The rectangle in the window's client area that the parent's layout gave.
  const RECT& GetPos() const { return m_rcItem; }
  virtual void SetPos(const RECT& rect);
  // What the layout of the parent reads: declared lengths for 100 percent, and the pixels the
  // content needs where nothing is fixed (0: stretch).
  LayoutChild LayoutDeclaration(SIZE available);
  virtual SIZE EstimateSize(SIZE available);

  bool IsVisible() const { return m_bVisible; }
  virtual void SetVisible(bool visible);
  // Visible with every container above it: a tab layout hides the pages it does not show, not
  // their controls.
  bool IsShown() const;
  bool IsEnabled() const { return m_bEnabled; }
  virtual void SetEnabled(bool enabled);
  bool IsMouseEnabled() const { return m_bMouseEnabled; }
  bool IsFocused() const { return m_bFocused; }
  void SetFocus();
  // Whether Tab stops at controls of this class (buttons and edits).
  virtual bool TakesTabStop() const { return false; }

  // Applies one skin attribute through the control's attribute table; false for a name that
  // the control does not know, which changes nothing.
  bool SetAttribute(WStringView name, WStringView value);

  // The deepest visible control that takes the mouse at `point`, or null.
  virtual CControlUI* FindControlAt(POINT point);
  // Calls `visit` for this control and every control below it, parents first.
  virtual void VisitTree(const std::function<void(CControlUI&)>& visit);

  // Input for this control; the base only repaints when the focus comes or goes.
  virtual void DoEvent(TEventUI& event);
  // Event handlers of this control that see its notifications before the window's notifiers.
  std::vector<std::function<void(TNotifyUI&)>> OnNotify;

  void DoPaint(PaintContext& context);

  // Ask for a repaint of this control; for a new layout of its children; for a new layout of
  // its parent's children, when its own size or place may have changed.
  void Invalidate();
  void NeedUpdate();
  void NeedParentUpdate();
  // Lays out again, before a paint, the children of every control that asked for it.
  virtual void UpdatePendingLayout();

 protected:
  // The manager keeps the focus flag and the update flag in step with its own state.
  friend class CSkinManagerUI;

  // The attributes of this class; every class with attributes of its own has both.
  static const ControlAttributes& Attributes();
  virtual const ControlAttributes& AttributesOfClass() const { return Attributes(); }

  virtual void PaintBkColor(PaintContext& context);
  virtual void PaintBkImage(PaintContext& context);
  virtual void PaintStatusImage(PaintContext& context) {}
  virtual void PaintForeImage(PaintContext& context);
  virtual void PaintText(PaintContext& context) {}
  virtual void PaintBorder(PaintContext& context);
  // Children paint after the control itself (containers).
  virtual void PaintChildren(PaintContext& context) {}

  // The scaled value of a skin length, at the window's display scale.
  int Scale(int length) const;
  // Four margins (a text padding) at the window's display scale.
  RECT ScaleMargins(const RECT& margins) const;
  DWORD BorderColor() const;

  CSkinManagerUI* m_pManager = nullptr;
  CControlUI* m_pParent = nullptr;
  CSkinString m_sName;
  CSkinString m_sText;
  CSkinString m_sToolTip;
  CSkinString m_sAccName;
  RECT m_rcItem{};
  LayoutChild m_layout;
  bool m_bVisible = true;
  bool m_bEnabled = true;
  bool m_bMouseEnabled = true;
  bool m_bFocused = false;
  bool m_bUpdateNeeded = false;
  DWORD m_dwBackColor = 0;
  DWORD m_dwBorderColor = 0;
  DWORD m_dwFocusBorderColor = 0;
  int m_nBorderSize = 0;
  CSkinString m_sBkImage;
  CSkinString m_sForeImage;
};

}  // namespace SkinUI
