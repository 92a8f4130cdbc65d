#include "wizard/config_page_two.h"

#include <shlobj.h>

#include "common/scoped_handle.h"
#include "engine/install_locations.h"
#include "wizard/err_tip_wnd.h"
#include "wizard/wizard_messages.h"

namespace {

// BIF_RETURNONLYFSDIRS | BIF_RETURNFSANCESTORS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE | BIF_UAHINT
constexpr UINT kBrowseFlags = 0x159;

}  // namespace

std::wstring BrowseForFolder(HWND owner, const wchar_t* title) {
  wchar_t path[MAX_PATH] = {};
  BROWSEINFOW browse{};
  browse.hwndOwner = owner;
  browse.pszDisplayName = path;
  browse.lpszTitle = title;
  browse.ulFlags = kBrowseFlags;
  ScopedCoTaskMem item(SHBrowseForFolderW(&browse));
  if (!item || !SHGetPathFromIDListW(static_cast<PCIDLIST_ABSOLUTE>(item.Get()), path)) return {};
  return path;
}

void ConfigPageTwoUI::Notify(SkinUI::TNotifyUI& msg) {
  if (msg.type != L"click" || msg.sender == nullptr) return;
  const SkinUI::CSkinString& name = msg.sender->GetName();
  if (name == L"btn_selecInstallPath") {
    PickInto(L"请选择安装路径", L"edit_InstallPath", m_strInstallPath);
  } else if (name == L"btn_SelecBookPath") {
    PickInto(L"请选择书籍存放路径", L"edit_BookPath", m_strBookPath);
  } else if (name == L"btn_Install") {
    ValidateAndStart();
  }
}

void ConfigPageTwoUI::PickInto(const wchar_t* title, const wchar_t* edit_name, SkinUI::CSkinString& member) {
  const std::wstring picked = BrowseForFolder(m_pManager->GetPaintWindow(), title);
  if (picked.empty()) return;
  member = picked;
  if (SkinUI::CControlUI* edit = FindSubControl(edit_name)) {
    edit->SetText(picked);
    edit->SetToolTip(picked);
  }
}

void ConfigPageTwoUI::ValidateAndStart() {
  if (SkinUI::CControlUI* edit = FindSubControl(L"edit_InstallPath")) m_strInstallPath = edit->GetText();
  if (SkinUI::CControlUI* edit = FindSubControl(L"edit_BookPath")) m_strBookPath = edit->GetText();
  switch (CheckChosenDirectories(m_strInstallPath, m_strBookPath)) {
    case ChosenDirectoryFault::kInstallDir:
      ShowPathError(L"安装路径错误！请重新选择或输入正确路径！");
      break;
    case ChosenDirectoryFault::kBookDir:
      ShowPathError(L"书籍存放路径错误！请重新选择或输入正确路径！");
      break;
    case ChosenDirectoryFault::kNone:
      PostMessageW(m_pManager->GetPaintWindow(), WM_WIZARD_START_INSTALL, 1, 1);
      break;
  }
}

void ConfigPageTwoUI::ShowPathError(const wchar_t* text) {
  ShowTipBox(m_pManager->GetPaintWindow(), text, L"错误提示");
}
