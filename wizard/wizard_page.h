#pragma once
// What every wizard page is: a horizontal layout that builds its own skin file into the window's
// manager, holds that tree as its only child and hears every notification of the window.
#include "skinui/core/uidefine.h"
#include "skinui/core/uimanager.h"
#include "skinui/layout/uicontainer.h"

class WizardPageUI : public SkinUI::CHorizontalLayoutUI, public SkinUI::INotifyUI, public SkinUI::ISkinBuilderCallback {
 public:
  WizardPageUI(SkinUI::CSkinManagerUI& manager, const wchar_t* skin_file);
  // A page's skin uses only the toolkit's elements.
  SkinUI::CControlUI* CreateControl(const wchar_t*) override { return nullptr; }
  void Notify(SkinUI::TNotifyUI&) override {}
};
