#include "wizard/install_guide_wnd.h"

#include <process.h>

#include <cstdlib>

#include "common/heap_block.h"
#include "common/product_names.h"
#include "common/progress_scale.h"
#include "common/registry.h"
#include "common/text_convert.h"
#include "engine/client_launch.h"
#include "engine/install_app.h"
#include "engine/install_locations.h"
#include "engine/install_messages.h"
#include "skinui/core/rect_convert.h"
#include "wizard/err_tip_wnd.h"
#include "wizard/install_page.h"
#include "wizard/progress_badge.h"
#include "wizard/wizard_messages.h"
#include "wizard/wizard_pages.h"

namespace {

InstallGuideWnd* g_installGuideWnd = nullptr;

// The status line's font while the engine reports.
constexpr int kStatusFont = 6;
constexpr UINT kIconResource = 134;

template <class Control>
Control* FindAs(SkinUI::CSkinManagerUI& manager, const wchar_t* name) {
  return static_cast<Control*>(manager.FindControl(name));
}

void StartThread(unsigned(__stdcall* procedure)(void*), void* argument) {
  // Neither thread is waited for: both end with the process.
  const uintptr_t thread = _beginthreadex(nullptr, 0, procedure, argument, 0, nullptr);
  if (thread != 0) CloseHandle(reinterpret_cast<HANDLE>(thread));
}

}  // namespace

InstallGuideWnd* ShowInstallGuideWnd(HWND parent) {
  if (g_installGuideWnd != nullptr) return g_installGuideWnd;
  g_installGuideWnd = new InstallGuideWnd;
  InstallGuideWnd* window = g_installGuideWnd;
  window->Create(parent, L"安装引导",
                 WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU,
                 WS_EX_STATICEDGE);
  window->CenterWindow();
  window->ShowWindow(true, true);
  return window;
}

void QuitInstaller() { PostQuitMessage(0); }

InstallGuideWnd::~InstallGuideWnd() {
  if (g_installGuideWnd == this) g_installGuideWnd = nullptr;
}

SkinUI::CControlUI* InstallGuideWnd::CreateControl(const wchar_t* element_name) {
  for (const WizardPage& page : kWizardPages) {
    if (!SkinUI::NameEquals(element_name, page.element)) continue;
    SkinUI::CControlUI* control = page.create(m_pm);
    if (page.create == &CreateWizardPage<InstallPageUI>) m_pInstallPage = static_cast<InstallPageUI*>(control);
    return control;
  }
  return nullptr;
}

void InstallGuideWnd::InitWindow() {
  m_pm.SetDPI(SkinUI::CDPI::GetMainMonitorDPI());
  m_bFinished = false;
  SetIcon(kIconResource);
  SetPropW(m_hWnd, kInstanceName, reinterpret_cast<HANDLE>(1));
  m_pTab = FindAs<SkinUI::CTabLayoutUI>(m_pm, kWizardTabName);
  m_pSlider = FindAs<SkinUI::CSliderUI>(m_pm, L"slider_process");
  m_pPercent = FindAs<SkinUI::CLabelUI>(m_pm, L"lab_percent");
  m_pBadge = m_pm.FindControl(kBadgeBoxName);
  m_badgeSize = InstallPageUI::BadgeSize();
  m_pStatus = FindAs<SkinUI::CLabelUI>(m_pm, L"lab_install_labtext");
}

void InstallGuideWnd::SelectPage(int index) {
  if (m_pTab != nullptr) m_pTab->SelectItem(index);
}

int InstallGuideWnd::CurrentPage() const { return m_pTab != nullptr ? m_pTab->GetCurSel() : -1; }

void InstallGuideWnd::Notify(SkinUI::TNotifyUI& msg) {
  if (msg.type == L"windowinit") {
    m_pm.SetCaptionRect(m_pm.GetDPIObj()->Scale(m_pm.GetCaptionRect()));
    if (m_pSlider != nullptr) {
      m_pSlider->SetValue(0);
      m_pSlider->SetMaxValue(kProgressScale);
    }
    SetForegroundWindow(m_hWnd);
    return;
  }
  if (msg.type != L"click" || msg.sender == nullptr) return;
  const SkinUI::CSkinString& name = msg.sender->GetName();
  if (name == L"btn_InstallFast") {
    PostMessageW(m_hWnd, WM_WIZARD_START_INSTALL, 0, 0);
  } else if (name == L"btn_CustomizeInstall") {
    const PrefillTexts texts = ComputePrefillTexts();
    if (SkinUI::CControlUI* edit = m_pm.FindControl(L"edit_InstallPath")) edit->SetText(texts.install_text);
    if (SkinUI::CControlUI* edit = m_pm.FindControl(L"edit_BookPath")) edit->SetText(texts.book_text);
    SelectPage(kPageCustom);
  } else if (name == L"btn_less") {
    ::SendMessageW(m_hWnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  } else if (name == L"btn_CloseInstallGuideWnd") {
    if (m_bFinished) {
      QuitInstaller();
    } else {
      PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
    }
  } else if (name == L"btn_test") {
    // A hidden button that walks through the pages.
    static int next_page = 0;
    SelectPage(next_page);
    next_page = (next_page + 1) % kPageCount;
  }
}

void InstallGuideWnd::StartInstall(const std::wstring& install_dir, const std::wstring& book_dir) {
  StartThread(&InstallThreadProc, new InstallApp(m_hWnd, install_dir, book_dir));
  if (m_pInstallPage != nullptr) StartThread(&InstallPageUI::CarouselThread, m_pInstallPage);
}

void InstallGuideWnd::OnStartInstall(LPARAM lParam) {
  // Selecting the page lays it out, which the carousel needs before it starts.
  SelectPage(kPageInstalling);
  if (lParam == 1) {
    const auto text_of = [this](const wchar_t* name) {
      SkinUI::CControlUI* edit = m_pm.FindControl(name);
      return edit != nullptr ? edit->GetText() : std::wstring();
    };
    StartInstall(text_of(L"edit_InstallPath"), text_of(L"edit_BookPath"));
    return;
  }
  const RecordedLocations recorded = ReadRecordedLocations();
  if (!recorded.install_dir.empty() && !recorded.book_dir.empty()) {
    StartInstall(recorded.install_dir, recorded.book_dir);
  } else {
    StartInstall(std::wstring(), std::wstring());
  }
}

void InstallGuideWnd::OnStatus(WPARAM wParam, LPARAM lParam) {
  if (wParam == kStatusNarrow936) {
    // The text is ours now, and freed here whatever happens to it.
    HeapText text(reinterpret_cast<char*>(lParam));
    if (m_pStatus != nullptr && text) m_pStatus->SetText(CodePageToWide(kStatusCodePage, text.get()));
  } else if (m_pStatus != nullptr && lParam != 0) {
    m_pStatus->SetText(reinterpret_cast<const wchar_t*>(lParam));
  }
  if (m_pStatus != nullptr) m_pStatus->SetFont(kStatusFont);
}

void InstallGuideWnd::OnProgress(int32_t value) {
  if (m_pSlider == nullptr) return;
  const SkinUI::UiRect slider = SkinUI::ToUiRect(m_pSlider->GetPos());
  m_pSlider->SetValue(value);
  if (m_pPercent == nullptr) return;
  m_pPercent->SetText(ProgressPercentText(value));
  if (m_pBadge != nullptr && m_badgeSize) {
    m_pBadge->SetPos(SkinUI::ToRECT(ProgressBadgeRect(slider, value, *m_badgeSize, m_pm.GetDPI().Scaler())));
  }
}

void InstallGuideWnd::OnError(WPARAM mode, const wchar_t* text) {
  if (mode == kErrorBackToStart && m_pInstallPage != nullptr) {
    m_pInstallPage->StopCarousel();
    m_pInstallPage->ResetStrip();
  }
  if (mode == kErrorBackToStart) SelectPage(kPageStart);
  ShowTipBox(m_hWnd, text != nullptr ? text : L"", L"提示");
  if (mode == kErrorQuit) QuitInstaller();
}

int InstallGuideWnd::ConfirmCancelInstall() {
  if (m_pInstallPage != nullptr) m_pInstallPage->StopCarousel();
  ShowWindow(true, true);
  if (ShowTipBox(m_hWnd, L"安装已在进行中，确定取消安装？", L"关闭提示") == 1) {
    QuitInstaller();
    return 0;
  }
  if (CurrentPage() == kPageInstalling && m_pInstallPage != nullptr) {
    StartThread(&InstallPageUI::CarouselThread, m_pInstallPage);
  }
  return 1;
}

bool InstallGuideWnd::OnCloseRequest(WPARAM wParam, LPARAM lParam) {
  if (wParam != 0 || lParam != 0 || CurrentPage() != kPageInstalling) {
    QuitInstaller();
    return true;
  }
  return ConfirmCancelInstall() == 0;
}

void InstallGuideWnd::LaunchClient() {
  if (StartInstalledClient()) {
    QuitInstaller();
    return;
  }
  ShowTipBox(m_hWnd, L"启动失败，请重新安装或稍后重试！", L"提示");
  SelectPage(kPageStart);
}

LRESULT InstallGuideWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_WIZARD_START_INSTALL:
      OnStartInstall(lParam);
      break;
    case WM_INSTALL_STATUS:
      OnStatus(wParam, lParam);
      break;
    case WM_INSTALL_PROGRESS:
      OnProgress(static_cast<int32_t>(lParam));
      break;
    case WM_INSTALL_FINISHED:
      if (m_pInstallPage != nullptr) m_pInstallPage->StopCarousel();
      SelectPage(kPageFinished);
      m_bFinished = true;
      break;
    case WM_CAROUSEL_RESET:
      if (m_pInstallPage != nullptr) m_pInstallPage->ResetStrip();
      break;
    case WM_CAROUSEL_STEP:
      if (m_pInstallPage != nullptr) m_pInstallPage->MoveStrip(static_cast<int32_t>(lParam));
      break;
    case WM_INSTALL_ERROR:
      OnError(wParam, reinterpret_cast<const wchar_t*>(lParam));
      break;
    case WM_WIZARD_START_READING:
      LaunchClient();
      break;
    case WM_WIZARD_ACTIVATE:
      ShowWindow(true, true);
      SetForegroundWindow(m_hWnd);
      break;
    case WM_CLOSE:
      if (!OnCloseRequest(wParam, lParam)) return 0;
      break;
    default:
      break;
  }
  return SkinWindowBase::HandleMessage(message, wParam, lParam);
}
