#include "wizard/install_guide_wnd.h"

#include <process.h>

#include <cstdlib>
#include <utility>

#include "common/heap_block.h"
#include "common/product_names.h"
#include "common/progress_scale.h"
#include "common/registry.h"
#include "common/setup_log.h"
#include "common/system_failure.h"
#include "common/text_convert.h"
#include "engine/client_launch.h"
#include "engine/install_app.h"
#include "engine/install_locations.h"
#include "engine/install_messages.h"
#include "skinui/control/uibutton.h"
#include "skinui/core/rect_convert.h"
#include "wizard/err_tip_wnd.h"
#include "wizard/install_page.h"
#include "wizard/progress_badge.h"
#include "wizard/wizard_messages.h"
#include "wizard/wizard_pages.h"

namespace {

InstallGuideWnd* g_installGuideWnd = nullptr;
// How this run of the installer ends so far; read once its message loop is over.
ExitCode g_exitCode = ExitCode::kCancelled;
// The directories named on the installer's command line, for the customise page's fields.
PrefillTexts g_givenDirectories;

// The status line's font while the engine reports.
constexpr int kStatusFont = 6;
constexpr UINT kIconResource = 134;

// How long a confirmed cancel waits for the engine to stop and put the previous client back.
// Rolling back a large package moves thousands of files and takes seconds; a wait much longer
// looks like a hung installer, and whatever an engine still busy then leaves behind is rolled
// back from its journal when the installer next starts.
constexpr DWORD kCancelWaitMs = 30000;

template <class Control>
Control* FindAs(SkinUI::CSkinManagerUI& manager, const wchar_t* name) {
  return static_cast<Control*>(manager.FindControl(name));
}

// A handle that the caller does not keep closes at once, and the thread runs on by itself.
ScopedHandle StartThread(unsigned(__stdcall* procedure)(void*), void* argument) {
  return ScopedHandle(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, procedure, argument, 0, nullptr)));
}

// Waits for `object` while this thread's windows go on painting and taking input; false when
// `timeout_ms` ran out (or the wait failed) first. A quit message that comes meanwhile is posted
// again afterwards, for the loop that owns it.
bool WaitPumpingMessages(HANDLE object, DWORD timeout_ms) {
  const ULONGLONG deadline = GetTickCount64() + timeout_ms;
  bool quit = false;
  WPARAM quit_code = 0;
  for (;;) {
    MSG msg{};
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        quit = true;
        quit_code = msg.wParam;
      } else if (!SkinUI::CSkinManagerUI::TranslateMessage(&msg)) {
        ::TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    }
    // Checked here, not only by the wait: steady input would otherwise keep the loop going.
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) break;
    const DWORD waited =
        MsgWaitForMultipleObjects(1, &object, FALSE, static_cast<DWORD>(deadline - now), QS_ALLINPUT);
    // Anything but new input (the object, the time-out, a failure) ends the wait.
    if (waited != WAIT_OBJECT_0 + 1) break;
  }
  if (quit) PostQuitMessage(static_cast<int>(quit_code));
  return WaitForSingleObject(object, 0) == WAIT_OBJECT_0;
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

ExitCode InstallerExitCode() { return g_exitCode; }

void SetGivenDirectories(const std::wstring& install_dir, const std::wstring& book_dir) {
  g_givenDirectories = {install_dir, book_dir};
}

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
  g_exitCode = ExitCode::kCancelled;
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
    // The keys act on the page from the start: its first control has the focus.
    if (m_pTab != nullptr) m_pm.FocusFirstIn(m_pTab->GetItemAt(m_pTab->GetCurSel()));
    return;
  }
  if (msg.type != L"click" || msg.sender == nullptr) return;
  const SkinUI::CSkinString& name = msg.sender->GetName();
  if (name == L"btn_InstallFast") {
    PostMessageW(m_hWnd, WM_WIZARD_START_INSTALL, 0, 0);
  } else if (name == L"btn_CustomizeInstall") {
    const PrefillTexts texts = ComputePrefillTexts(g_givenDirectories);
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

bool InstallGuideWnd::ResponseDefaultKeyEvent(WPARAM key) {
  // Escape is the close button, question included; typed into a native edit, it only ends the
  // typing there.
  if (key != VK_ESCAPE || ::GetFocus() != m_hWnd) return false;
  auto* close = FindAs<SkinUI::CButtonUI>(m_pm, L"btn_CloseInstallGuideWnd");
  return close != nullptr && close->Activate();
}

void InstallGuideWnd::StartInstall(const std::wstring& install_dir, const std::wstring& book_dir) {
  // A closed wizard now ends this installation, whatever an earlier one ended with, and the
  // close button asks again until this one finishes.
  g_exitCode = ExitCode::kCancelled;
  m_bFinished = false;
  auto engine = std::make_unique<InstallApp>(m_hWnd, install_dir, book_dir);
  std::shared_ptr<StopRequest> stop = engine->StopHandle();
  ScopedHandle thread = StartThread(&InstallThreadProc, engine.get());
  if (thread) {
    // The thread frees the engine when its run is over.
    static_cast<void>(engine.release());
  } else {
    LogSystemFailure(L"Wizard", LastError(), L"the engine thread cannot be started");
  }
  TrackInstallation(std::move(stop), std::move(thread));
  if (m_pInstallPage != nullptr) StartThread(&InstallPageUI::CarouselThread, m_pInstallPage);
}

void InstallGuideWnd::TrackInstallation(std::shared_ptr<StopRequest> stop, ScopedHandle thread) {
  m_installStop = std::move(stop);
  m_installThread = std::move(thread);
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
  const RecordedLocations quick = QuickInstallLocations();
  StartInstall(quick.install_dir, quick.book_dir);
}

void InstallGuideWnd::OnStatus(WPARAM wParam, LPARAM lParam) {
  // A narrow text is ours now, and freed here whatever happens to it.
  const HeapText narrow(wParam == kStatusNarrow936 ? reinterpret_cast<char*>(lParam) : nullptr);
  // Once the cancel is under way the line keeps saying so.
  if (m_pStatus == nullptr || m_bCancelling) return;
  if (narrow) {
    m_pStatus->SetText(CodePageToWide(kStatusCodePage, narrow.get()));
  } else if (wParam != kStatusNarrow936 && lParam != 0) {
    m_pStatus->SetText(reinterpret_cast<const wchar_t*>(lParam));
  }
  m_pStatus->SetFont(kStatusFont);
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
  if (m_bAskingToCancel) {
    m_pendingError = PendingError{mode, text != nullptr ? text : L""};
    return;
  }
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
  m_bAskingToCancel = true;
  const bool cancel = ShowTipBox(m_hWnd, L"安装已在进行中，确定取消安装？", L"关闭提示") == 1;
  m_bAskingToCancel = false;
  std::optional<PendingError> pending = std::move(m_pendingError);
  m_pendingError.reset();
  if (cancel) {
    // The user has ended the installer; an error that came meanwhile is not shown.
    StopInstallationAndWait();
    QuitInstaller();
    return 0;
  }
  if (CurrentPage() == kPageInstalling && m_pInstallPage != nullptr) {
    StartThread(&InstallPageUI::CarouselThread, m_pInstallPage);
  }
  if (pending) OnError(pending->mode, pending->text.c_str());
  return 1;
}

void InstallGuideWnd::StopInstallationAndWait() {
  if (!m_installStop || !m_installThread || WaitForSingleObject(m_installThread.Get(), 0) != WAIT_TIMEOUT) {
    SetupLog(L"Cancel confirmed: no installation is running any more");
    return;
  }
  // Before the engine writes to the install directory there is nothing to put back, and it
  // will not begin once the stop is requested.
  if (!m_installStop->Request()) {
    SetupLog(L"Cancel confirmed before the installation wrote anything");
    return;
  }
  SetupLog(L"Cancel confirmed: waiting up to %lu s for the installation to stop",
           static_cast<unsigned long>(kCancelWaitMs / 1000));
  // The engine's own result, which comes while the window waits, has the last word.
  g_exitCode = ExitCode::kCancelled;
  OnStatus(kStatusWide, reinterpret_cast<LPARAM>(L"正在取消安装，请稍候..."));
  m_bCancelling = true;
  if (WaitPumpingMessages(m_installThread.Get(), kCancelWaitMs)) {
    SetupLog(L"Cancel: the installation has stopped");
  } else {
    SetupLog(L"Cancel: the installation has not stopped in time; the next start rolls back what it left");
  }
}

bool InstallGuideWnd::OnCloseRequest(WPARAM wParam, LPARAM lParam) {
  // The cancel is already under way, and the window closes when it is over.
  if (m_bCancelling) return false;
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
  g_exitCode = ExitCode::kClientNotStarted;
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
      // A cancelled installation that still got to its end is left as it is.
      if (m_bCancelling) break;
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
    case WM_INSTALL_RESULT:
      g_exitCode = static_cast<ExitCode>(wParam);
      break;
    case WM_INSTALL_ERROR:
      // The user has already chosen to end the installer; no box asks anything more.
      if (!m_bCancelling) OnError(wParam, reinterpret_cast<const wchar_t*>(lParam));
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
