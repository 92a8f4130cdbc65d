#pragma once
// The wizard's pages, one row each in the order of the tab layout "wizardTab" in install.xml: the
// element that stands there and the class that the page factory makes of it; a row's place is
// the page's index. A new page is a new row here and a new element there (wizard_test checks
// that both agree); the page factory, the page indices and the page count follow from the rows.
#include <iterator>

#include "skinui/control/uicontrol.h"
#include "skinui/core/uimanager.h"
#include "wizard/config_page_one.h"
#include "wizard/config_page_two.h"
#include "wizard/finish_page.h"
#include "wizard/install_page.h"

constexpr const wchar_t* kWizardTabName = L"wizardTab";

template <class Page>
SkinUI::CControlUI* CreateWizardPage(SkinUI::CSkinManagerUI& manager) {
  return new Page(manager);
}

struct WizardPage {
  const wchar_t* element;  // compared ignoring case, as the builder compares element names
  SkinUI::CControlUI* (*create)(SkinUI::CSkinManagerUI& manager);
};

inline constexpr WizardPage kWizardPages[] = {
    {L"ConfigOneUI", &CreateWizardPage<ConfigPageOneUI>},
    {L"ConfigTwoUI", &CreateWizardPage<ConfigPageTwoUI>},
    {L"InstallPageUI", &CreateWizardPage<InstallPageUI>},
    {L"InstallFinishUI", &CreateWizardPage<InstallFinishUI>},
};

constexpr int kPageCount = static_cast<int>(std::size(kWizardPages));

// The index of the page of class `Page`, or kPageCount when it has no row.
template <class Page>
constexpr int WizardPageIndex() {
  int index = 0;
  while (index < kPageCount && kWizardPages[index].create != &CreateWizardPage<Page>) ++index;
  return index;
}

constexpr int kPageStart = WizardPageIndex<ConfigPageOneUI>();
constexpr int kPageCustom = WizardPageIndex<ConfigPageTwoUI>();
constexpr int kPageInstalling = WizardPageIndex<InstallPageUI>();
constexpr int kPageFinished = WizardPageIndex<InstallFinishUI>();
static_assert(kPageStart < kPageCount && kPageCustom < kPageCount && kPageInstalling < kPageCount &&
                  kPageFinished < kPageCount,
              "every page that the window names has a row");
