#pragma once
// Page 0: quick install or customise; the main window handles both buttons.
#include "wizard/wizard_page.h"

class ConfigPageOneUI : public WizardPageUI {
 public:
  explicit ConfigPageOneUI(SkinUI::CSkinManagerUI& manager) : WizardPageUI(manager, L"configpage.xml") {}
};
