#pragma once
// Page 3: installation complete; its one button asks the main window to start the client.
#include "wizard/wizard_page.h"

class InstallFinishUI : public WizardPageUI {
 public:
  explicit InstallFinishUI(SkinUI::CSkinManagerUI& manager) : WizardPageUI(manager, L"finishpage.xml") {}
  void Notify(SkinUI::TNotifyUI& msg) override;
};
