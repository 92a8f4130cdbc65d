#include "skinui/control/uicontrol.h"

#include "skinui/core/attribute_values.h"
#include "skinui/core/paint_context.h"
#include "skinui/core/rect_convert.h"
#include "skinui/core/uimanager.h"

namespace SkinUI {

CControlUI::~CControlUI() {
  if (m_pManager != nullptr) m_pManager->ForgetControl(this);
}

const wchar_t* CControlUI::GetClass() const { return L"ControlUI"; }

void CControlUI::SetToolTip(const CSkinString& text) {
  if (m_sToolTip == text) return;
  m_sToolTip = text;
  if (m_pManager != nullptr) m_pManager->OnToolTipChanged(this);
}

void CControlUI::SetText(const CSkinString& text) {
  if (m_sText == text) return;
  m_sText = text;
  Invalidate();
}

void CControlUI::SetManager(CSkinManagerUI* manager, CControlUI* parent, bool init) {
  m_pManager = manager;
  m_pParent = parent;
  if (init && m_pManager != nullptr) m_pManager->InitControl(this);
}

void CControlUI::SetPos(const RECT& rect) {
  // Both the old and the new place need painting.
  Invalidate();
  m_rcItem = rect;
  m_bUpdateNeeded = false;
  Invalidate();
}

LayoutChild CControlUI::LayoutDeclaration(SIZE available) {
  LayoutChild declaration = m_layout;
  declaration.visible = IsVisible();
  const SIZE content = EstimateSize(available);
  declaration.content_size = {static_cast<int32_t>(content.cx), static_cast<int32_t>(content.cy)};
  return declaration;
}

SIZE CControlUI::EstimateSize(SIZE) { return {0, 0}; }

bool CControlUI::IsShown() const {
  for (const CControlUI* level = this; level != nullptr; level = level->GetParent()) {
    if (!level->IsVisible()) return false;
  }
  return true;
}

void CControlUI::SetVisible(bool visible) {
  if (m_bVisible == visible) return;
  m_bVisible = visible;
  if (!visible && m_pManager != nullptr && m_bFocused) m_pManager->SetFocus(nullptr);
  NeedParentUpdate();
}

void CControlUI::SetEnabled(bool enabled) {
  if (m_bEnabled == enabled) return;
  m_bEnabled = enabled;
  Invalidate();
}

void CControlUI::SetFocus() {
  if (m_pManager != nullptr) m_pManager->SetFocus(this);
}

bool CControlUI::SetAttribute(WStringView name, WStringView value) {
  return AttributesOfClass().Apply(*this, name, value);
}

const ControlAttributes& CControlUI::Attributes() {
  static const ControlAttributeTable<CControlUI> table({
      {L"name", [](CControlUI& control, WStringView value) { control.m_sName = CSkinString(value); }},
      {L"text",
       [](CControlUI& control, WStringView value) {
         const CSkinString text(value);
         control.SetText(control.m_pManager != nullptr ? control.m_pManager->QueryControlText(control.m_sName, text)
                                                       : text);
       }},
      {L"tooltip", [](CControlUI& control, WStringView value) { control.SetToolTip(CSkinString(value)); }},
      {L"accname", [](CControlUI& control, WStringView value) { control.m_sAccName = CSkinString(value); }},
      {L"width",
       [](CControlUI& control, WStringView value) {
         control.m_layout.SetWidth(ParseInteger(value));
         control.NeedParentUpdate();
       }},
      {L"height",
       [](CControlUI& control, WStringView value) {
         control.m_layout.SetHeight(ParseInteger(value));
         control.NeedParentUpdate();
       }},
      {L"padding",
       [](CControlUI& control, WStringView value) {
         control.m_layout.padding = ParseRect(value);
         control.NeedParentUpdate();
       }},
      {L"float",
       [](CControlUI& control, WStringView value) {
         control.m_layout.floating = ParseBool(value);
         control.NeedParentUpdate();
       }},
      {L"pos",
       [](CControlUI& control, WStringView value) {
         control.m_layout.SetPos(ParseRect(value));
         control.NeedParentUpdate();
       }},
      {L"bkcolor", [](CControlUI& control, WStringView value) { control.m_dwBackColor = ParseColor(value); }},
      {L"bkimage", [](CControlUI& control, WStringView value) { control.m_sBkImage = CSkinString(value); }},
      {L"foreimage", [](CControlUI& control, WStringView value) { control.m_sForeImage = CSkinString(value); }},
      {L"bordersize", [](CControlUI& control, WStringView value) { control.m_nBorderSize = ParseInteger(value); }},
      {L"bordercolor", [](CControlUI& control, WStringView value) { control.m_dwBorderColor = ParseColor(value); }},
      {L"focusbordercolor",
       [](CControlUI& control, WStringView value) { control.m_dwFocusBorderColor = ParseColor(value); }},
      {L"visible", [](CControlUI& control, WStringView value) { control.SetVisible(ParseBool(value)); }},
      {L"mouse", [](CControlUI& control, WStringView value) { control.m_bMouseEnabled = ParseBool(value); }},
  });
  return table;
}

CControlUI* CControlUI::FindControlAt(POINT point) {
  if (!IsVisible() || !m_bMouseEnabled) return nullptr;
  return PointIn(m_rcItem, point) ? this : nullptr;
}

void CControlUI::VisitTree(const std::function<void(CControlUI&)>& visit) { visit(*this); }

void CControlUI::DoEvent(TEventUI& event) {
  if (event.type == EventType::kSetFocus || event.type == EventType::kKillFocus) Invalidate();
}

void CControlUI::DoPaint(PaintContext& context) {
  if (!IsVisible() || !context.Intersects(m_rcItem)) return;
  PaintBkColor(context);
  PaintBkImage(context);
  PaintStatusImage(context);
  PaintForeImage(context);
  PaintText(context);
  PaintBorder(context);
  PaintChildren(context);
}

void CControlUI::Invalidate() {
  if (m_pManager != nullptr) m_pManager->Invalidate(m_rcItem);
}

void CControlUI::NeedUpdate() {
  m_bUpdateNeeded = true;
  if (m_pManager != nullptr) m_pManager->NeedUpdate();
}

void CControlUI::NeedParentUpdate() {
  if (m_pParent != nullptr) {
    m_pParent->NeedUpdate();
  } else {
    NeedUpdate();
  }
}

void CControlUI::UpdatePendingLayout() {
  if (m_bUpdateNeeded) SetPos(m_rcItem);
}

void CControlUI::PaintBkColor(PaintContext& context) { context.FillColor(m_rcItem, m_dwBackColor); }

void CControlUI::PaintBkImage(PaintContext& context) {
  if (!m_sBkImage.empty()) context.DrawPicture(m_rcItem, m_sBkImage);
}

void CControlUI::PaintForeImage(PaintContext& context) {
  if (!m_sForeImage.empty()) context.DrawPicture(m_rcItem, m_sForeImage);
}

void CControlUI::PaintBorder(PaintContext& context) {
  if (m_nBorderSize > 0) context.DrawBorder(m_rcItem, Scale(m_nBorderSize), BorderColor());
}

DWORD CControlUI::BorderColor() const {
  return m_bFocused && m_dwFocusBorderColor != 0 ? m_dwFocusBorderColor : m_dwBorderColor;
}

int CControlUI::Scale(int length) const {
  return m_pManager != nullptr ? m_pManager->GetDPI().Scale(length) : length;
}

RECT CControlUI::ScaleMargins(const RECT& margins) const {
  return {Scale(margins.left), Scale(margins.top), Scale(margins.right), Scale(margins.bottom)};
}

}  // namespace SkinUI
