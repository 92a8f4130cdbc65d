#include "wizard/wizard_page.h"

#include "skinui/core/uibuilder.h"

WizardPageUI::WizardPageUI(SkinUI::CSkinManagerUI& manager, const wchar_t* skin_file) {
  SetManager(&manager, nullptr, true);
  SkinUI::CSkinBuilder builder;
  if (std::unique_ptr<SkinUI::CControlUI> root = builder.Create(skin_file, nullptr, this, &manager)) {
    Add(std::move(root));
  }
  manager.AddNotifier(this);
}
