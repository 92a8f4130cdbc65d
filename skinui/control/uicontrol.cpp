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

void CControlUI::SetAttribute(WStringView name, WStringView value) {
  const CSkinString text(value);
  if (NameEquals(name, L"name")) {
    m_sName = text;
  } else if (NameEquals(name, L"text")) {
    SetText(m_pManager != nullptr ? m_pManager->QueryControlText(m_sName, text) : text);
  } else if (NameEquals(name, L"tooltip")) {
    SetToolTip(text);
  } else if (NameEquals(name, L"width")) {
    m_layout.SetWidth(ParseInteger(value));
    NeedParentUpdate();
  } else if (NameEquals(name, L"height")) {
    m_layout.SetHeight(ParseInteger(value));
    NeedParentUpdate();
  } else if (NameEquals(name, L"padding")) {
    m_layout.padding = ParseRect(value);
    NeedParentUpdate();
  } else if (NameEquals(name, L"float")) {
    m_layout.floating = ParseBool(value);
    NeedParentUpdate();
  } else if (NameEquals(name, L"pos")) {
    m_layout.SetPos(ParseRect(value));
    NeedParentUpdate();
  } else if (NameEquals(name, L"bkcolor")) {
    m_dwBackColor = ParseColor(value);
  } else if (NameEquals(name, L"bkimage")) {
    m_sBkImage = text;
  } else if (NameEquals(name, L"foreimage")) {
    m_sForeImage = text;
  } else if (NameEquals(name, L"bordersize")) {
    m_nBorderSize = ParseInteger(value);
  } else if (NameEquals(name, L"bordercolor")) {
    m_dwBorderColor = ParseColor(value);
  } else if (NameEquals(name, L"focusbordercolor")) {
    m_dwFocusBorderColor = ParseColor(value);
  } else if (NameEquals(name, L"visible")) {
    SetVisible(ParseBool(value));
  } else if (NameEquals(name, L"mouse")) {
    m_bMouseEnabled = ParseBool(value);
  }
}

void CControlUI::ApplyAttributeList(WStringView list) {
  for (const MarkupAttribute& attribute : ParseAttributeList(list)) SetAttribute(attribute.name, attribute.value);
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
