#pragma once
// Page 1: the install and book directories, typed or picked, checked before the installation
// starts.
#include <string>

#include "wizard/wizard_page.h"

class ConfigPageTwoUI : public WizardPageUI {
 public:
  explicit ConfigPageTwoUI(SkinUI::CSkinManagerUI& manager) : WizardPageUI(manager, L"configpage2.xml") {}
  void Notify(SkinUI::TNotifyUI& msg) override;

 private:
  // Picks a directory into the edit `edit_name` and `member`.
  void PickInto(const wchar_t* title, const wchar_t* edit_name, SkinUI::CSkinString& member);
  void ValidateAndStart();
  void ShowPathError(const wchar_t* text);

  SkinUI::CSkinString m_strBookPath;
  SkinUI::CSkinString m_strInstallPath;
};

// The directory chosen in the shell's folder browser owned by `owner`, or empty when the user
// cancels or the choice has no file-system path.
std::wstring BrowseForFolder(HWND owner, const wchar_t* title);
