#pragma once
// Page 2, shown while the engine runs: a strip of pictures that slides left one picture at a
// time (the carousel, driven by a thread of its own that only posts messages) above the status
// line, the percent badge and the progress bar, which the main window keeps up to date.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <optional>

#include "skinui/core/geometry.h"
#include "wizard/carousel.h"
#include "wizard/wizard_page.h"

class InstallPageUI : public WizardPageUI {
 public:
  static constexpr const wchar_t* kSkinFile = L"installingpage.xml";

  explicit InstallPageUI(SkinUI::CSkinManagerUI& manager) : WizardPageUI(manager, kSkinFile) {}
  void Notify(SkinUI::TNotifyUI& msg) override;

  // The percent badge's size in skin units as the page's skin file declares it; nothing when
  // the file cannot be read or does not say.
  static std::optional<SkinUI::UiSize> BadgeSize();

  // The carousel loop of a thread started with _beginthreadex; `page` is the InstallPageUI.
  static unsigned __stdcall CarouselThread(void* page);
  // Ends the carousel's timers (window thread); a new thread continues where it stopped.
  void StopCarousel();
  // The strip `distance` units further left (window thread).
  void MoveStrip(int32_t distance);
  // The strip back home, both distances 0 (window thread).
  void ResetStrip();

 private:
  void RunCarousel();

  SkinUI::CControlUI* m_pStrip = nullptr;
  RECT m_rcHome{};
  // Written by the carousel thread and read by StopCarousel on the window thread.
  std::atomic<UINT_PTR> m_uMoveTimer{0};
  std::atomic<UINT_PTR> m_uPauseTimer{0};
  std::atomic<int32_t> m_nTotalDistance{0};
  std::atomic<int32_t> m_nPictureDistance{0};
  // The thread that runs the carousel now, told to stop by a message of its own.
  std::atomic<DWORD> m_dwCarouselThread{0};
};
