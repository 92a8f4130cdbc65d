#pragma once
// The installer's one top-level window: the four wizard pages in a tab layout under a floating
// bar with the product label and the minimise and close buttons. It turns clicks into page
// changes, starts the engine and the carousel, and shows what the engine reports.
#include <memory>
#include <optional>
#include <string>

#include "common/scoped_handle.h"
#include "engine/exit_code.h"
#include "engine/stop_request.h"
#include "skinui/control/uilabel.h"
#include "skinui/control/uiprogress.h"
#include "skinui/core/geometry.h"
#include "skinui/core/uibase.h"
#include "skinui/layout/uicontainer.h"

class InstallPageUI;

class InstallGuideWnd : public SkinUI::SkinWindowBase {
 public:
  InstallGuideWnd() = default;
  ~InstallGuideWnd() override;

  void Notify(SkinUI::TNotifyUI& msg) override;
  SkinUI::CControlUI* CreateControl(const wchar_t* element_name) override;

  // The engine and the carousel, each on a thread of its own; either directory may be empty
  // (the engine then takes its default).
  void StartInstall(const std::wstring& install_dir, const std::wstring& book_dir);
  // Keeps what a confirmed cancel needs of the running installation: the request that stops it
  // and the thread that a cancel waits for while the engine puts the previous client back.
  void TrackInstallation(std::shared_ptr<StopRequest> stop, ScopedHandle thread);
  // 1 when the installation goes on, 0 when the user confirmed the cancel (and the installer
  // is ending, once a running engine has stopped or the wait for it has run out).
  int ConfirmCancelInstall();
  // Starts the installed client and ends the installer, or says why not and goes back to the
  // first page.
  void LaunchClient();

 protected:
  const wchar_t* GetWindowClassName() const override { return L"BokrinInstallGuideWnd"; }
  SkinUI::CSkinString GetSkinXmlName() override { return L"install.xml"; }
  void InitWindow() override;
  bool ResponseDefaultKeyEvent(WPARAM key) override;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnFinalMessage(HWND) override { delete this; }

 private:
  void SelectPage(int index);
  int CurrentPage() const;
  void OnStartInstall(LPARAM lParam);
  void OnStatus(WPARAM wParam, LPARAM lParam);
  void OnProgress(int32_t value);
  void OnError(WPARAM mode, const wchar_t* text);
  // The close decision: false keeps the window.
  bool OnCloseRequest(WPARAM wParam, LPARAM lParam);
  // Stops a running engine and waits, bounded, for its thread while the window keeps painting.
  void StopInstallationAndWait();

  SkinUI::CTabLayoutUI* m_pTab = nullptr;
  SkinUI::CSliderUI* m_pSlider = nullptr;
  SkinUI::CLabelUI* m_pPercent = nullptr;
  SkinUI::CControlUI* m_pBadge = nullptr;
  // In skin units, as the installing page declares it; without it the badge stays where it is.
  std::optional<SkinUI::UiSize> m_badgeSize;
  SkinUI::CLabelUI* m_pStatus = nullptr;
  InstallPageUI* m_pInstallPage = nullptr;
  bool m_bFinished = false;
  // While the close question is open, an engine error waits here: the answer decides whether
  // its box is shown at all.
  bool m_bAskingToCancel = false;
  struct PendingError {
    WPARAM mode;
    std::wstring text;
  };
  std::optional<PendingError> m_pendingError;
  std::shared_ptr<StopRequest> m_installStop;
  ScopedHandle m_installThread;
  // From a confirmed cancel on: the window only paints until it closes.
  bool m_bCancelling = false;
};

// The one wizard window: the existing one, or a new one created, centred and shown.
InstallGuideWnd* ShowInstallGuideWnd(HWND parent);
// Ends the toolkit's message loop, and with it the installer.
void QuitInstaller();
// The install and book directories named on the installer's command line (each empty when not
// named): the customise page starts with them in its fields, as if the user had typed them.
void SetGivenDirectories(const std::wstring& install_dir, const std::wstring& book_dir);
// The exit code of an interactive run, once the loop has ended: the result of the last
// installation (the code of the error shown, or kInstalled), kCancelled when the user cancelled
// one or closed the wizard before any finished, kClientNotStarted after a failed start.
ExitCode InstallerExitCode();
