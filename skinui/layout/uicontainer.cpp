#include "skinui/layout/uicontainer.h"

#include "skinui/core/accessible_tree.h"
#include "skinui/core/attribute_values.h"
#include "skinui/core/rect_convert.h"
#include "skinui/core/uimanager.h"

namespace SkinUI {

const wchar_t* CContainerUI::GetClass() const { return L"ContainerUI"; }

bool CContainerUI::Add(std::unique_ptr<CControlUI> control) {
  if (!control) return false;
  if (m_pManager != nullptr) control->SetManager(m_pManager, this);
  m_items.push_back(std::move(control));
  NeedUpdate();
  return true;
}

CControlUI* CContainerUI::GetItemAt(int index) const {
  if (index < 0 || index >= GetCount()) return nullptr;
  return m_items[static_cast<size_t>(index)].get();
}

CControlUI* CContainerUI::FindSubControl(const wchar_t* name) {
  CControlUI* found = nullptr;
  VisitTree([&](CControlUI& control) {
    if (found == nullptr && &control != this && control.GetName() == name) found = &control;
  });
  return found;
}

void CContainerUI::SetManager(CSkinManagerUI* manager, CControlUI* parent, bool init) {
  for (auto& item : m_items) item->SetManager(manager, this, init);
  CControlUI::SetManager(manager, parent, init);
}

const ControlAttributes& CContainerUI::Attributes() {
  static const ControlAttributeTable<CContainerUI> table(
      {
          {L"inset",
           [](CContainerUI& container, WStringView value) {
             container.m_inset = ParseRect(value);
             container.NeedUpdate();
           }},
      },
      &CControlUI::Attributes());
  return table;
}

DpiScale CContainerUI::LayoutScale() const {
  return m_pManager != nullptr ? m_pManager->GetDPI().Scaler() : DpiScale();
}

void CContainerUI::SetPos(const RECT& rect) {
  CControlUI::SetPos(rect);
  const SIZE available{rect.right - rect.left, rect.bottom - rect.top};
  std::vector<LayoutChild> declarations;
  declarations.reserve(m_items.size());
  for (auto& item : m_items) declarations.push_back(item->LayoutDeclaration(available));
  const ChildRects placed = Arrange(rect, declarations);
  for (size_t i = 0; i < m_items.size(); ++i) {
    if (placed[i]) m_items[i]->SetPos(ToRECT(*placed[i]));
  }
}

ChildRects CContainerUI::Arrange(const RECT& rect, const std::vector<LayoutChild>& children) {
  return LayoutContainer(ToUiRect(rect), m_inset, LayoutScale(), children);
}

CControlUI* CContainerUI::FindControlAt(POINT point) {
  if (!IsVisible() || !PointIn(m_rcItem, point)) return nullptr;
  // Later children are painted over earlier ones, so they are asked first.
  for (auto item = m_items.rbegin(); item != m_items.rend(); ++item) {
    if (CControlUI* found = (*item)->FindControlAt(point)) return found;
  }
  return m_bMouseEnabled ? this : nullptr;
}

void CContainerUI::VisitTree(const std::function<void(CControlUI&)>& visit) {
  visit(*this);
  for (auto& item : m_items) item->VisitTree(visit);
}

void CContainerUI::UpdatePendingLayout() {
  if (m_bUpdateNeeded) {
    SetPos(m_rcItem);
    return;
  }
  for (auto& item : m_items) item->UpdatePendingLayout();
}

void CContainerUI::PaintChildren(PaintContext& context) {
  for (auto& item : m_items) item->DoPaint(context);
}

const wchar_t* CVerticalLayoutUI::GetClass() const { return L"VerticalLayoutUI"; }

ChildRects CVerticalLayoutUI::Arrange(const RECT& rect, const std::vector<LayoutChild>& children) {
  return LayoutVertical(ToUiRect(rect), Inset(), LayoutScale(), children);
}

const wchar_t* CHorizontalLayoutUI::GetClass() const { return L"HorizontalLayoutUI"; }

ChildRects CHorizontalLayoutUI::Arrange(const RECT& rect, const std::vector<LayoutChild>& children) {
  return LayoutHorizontal(ToUiRect(rect), Inset(), LayoutScale(), children);
}

const wchar_t* CTabLayoutUI::GetClass() const { return L"TabLayoutUI"; }

bool CTabLayoutUI::Add(std::unique_ptr<CControlUI> control) {
  if (!control) return false;
  CControlUI* page = control.get();
  if (!CContainerUI::Add(std::move(control))) return false;
  if (m_iCurSel == -1 && page->IsVisible()) {
    m_iCurSel = GetCount() - 1;
  } else {
    page->SetVisible(false);
  }
  return true;
}

bool CTabLayoutUI::SelectItem(int index) {
  if (index < 0 || index >= GetCount() || index == m_iCurSel) return false;
  const int old = m_iCurSel;
  m_iCurSel = index;
  for (int i = 0; i < GetCount(); ++i) GetItemAt(i)->SetVisible(i == index);
  if (m_pManager != nullptr) {
    // Laid out first: an edit that takes the focus opens its native edit where it now stands.
    SetPos(m_rcItem);
    NotifyAccessibleShown(GetItemAt(index));
    // The page's first control takes the keys, so that no Tab is needed to reach anything.
    if (!m_pManager->FocusFirstIn(GetItemAt(index))) m_pManager->SetFocus(GetItemAt(index));
    m_pManager->SendNotify(this, L"tabselect", static_cast<WPARAM>(index), static_cast<LPARAM>(old));
  }
  return true;
}

ChildRects CTabLayoutUI::Arrange(const RECT& rect, const std::vector<LayoutChild>& children) {
  return LayoutTab(ToUiRect(rect), Inset(), LayoutScale(), children, m_iCurSel);
}

}  // namespace SkinUI
