#include "wizard/install_page.h"

#include "skinui/core/skin_markup.h"
#include "skinui/core/skin_resources.h"
#include "wizard/progress_badge.h"
#include "wizard/wizard_messages.h"

namespace {

// Posted to the carousel thread: its timers end and it moves the strip no more.
constexpr UINT kStopCarouselMessage = WM_APP + 1;

}  // namespace

void InstallPageUI::Notify(SkinUI::TNotifyUI& msg) {
  if (msg.type != L"windowinit") return;
  m_pStrip = FindSubControl(L"Hor_move");
  // Usually still empty: the page is laid out when it is first selected, and the carousel
  // takes the rectangle again then.
  if (m_pStrip != nullptr) m_rcHome = m_pStrip->GetPos();
}

std::optional<SkinUI::UiSize> InstallPageUI::BadgeSize() {
  // Read apart from the page's build, since the builder keeps no markup once it has made the
  // controls, and the badge's control has its size overridden by its "pos".
  const SkinUI::SkinReadResult file = SkinUI::SkinResources::Process().ReadSkinXml(kSkinFile);
  SkinUI::CSkinMarkup markup;
  if (!file.Succeeded() || !markup.Load(file.bytes.data(), file.bytes.size())) return std::nullopt;
  return DeclaredBadgeSize(*markup.Root());
}

unsigned __stdcall InstallPageUI::CarouselThread(void* page) {
  static_cast<InstallPageUI*>(page)->RunCarousel();
  return 0;
}

void InstallPageUI::RunCarousel() {
  if (m_pStrip != nullptr && m_rcHome.right == 0) m_rcHome = m_pStrip->GetPos();
  const HWND window = m_pManager->GetPaintWindow();
  m_dwCarouselThread = GetCurrentThreadId();
  m_uMoveTimer = SetTimer(nullptr, 0, kCarouselStepMs, nullptr);
  bool stopped = false;
  const auto kill_timers = [this] {
    if (m_uMoveTimer != 0) KillTimer(nullptr, m_uMoveTimer);
    if (m_uPauseTimer != 0) KillTimer(nullptr, m_uPauseTimer);
  };
  MSG msg{};
  for (;;) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) return;
    if (got == -1) {
      kill_timers();
      continue;
    }
    const bool ours = msg.hwnd == nullptr && msg.message == WM_TIMER && msg.wParam != 0 && !stopped;
    if (msg.hwnd == nullptr && msg.message == kStopCarouselMessage) {
      // Timer messages already queued are left unanswered from here on.
      kill_timers();
      stopped = true;
    } else if (ours && msg.wParam == m_uMoveTimer) {
      PostMessageW(window, WM_CAROUSEL_STEP, 0, kCarouselStep);
      const CarouselStep step = AdvanceCarousel({m_nTotalDistance, m_nPictureDistance});
      m_nTotalDistance = step.distances.total;
      m_nPictureDistance = step.distances.picture;
      if (step.pause) {
        KillTimer(nullptr, m_uMoveTimer);
        m_uPauseTimer = SetTimer(nullptr, 0, kCarouselPauseMs, nullptr);
      }
      if (step.reset) PostMessageW(window, WM_CAROUSEL_RESET, 0, 0);
    } else if (ours && msg.wParam == m_uPauseTimer) {
      KillTimer(nullptr, m_uPauseTimer);
      m_uMoveTimer = SetTimer(nullptr, 0, kCarouselStepMs, nullptr);
    } else {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
}

void InstallPageUI::StopCarousel() {
  if (m_uMoveTimer != 0) KillTimer(nullptr, m_uMoveTimer);
  if (m_uPauseTimer != 0) KillTimer(nullptr, m_uPauseTimer);
  // A thread timer may only end on the thread that set it; that thread is told as well, and
  // from then on ignores what its timers had already queued.
  if (m_dwCarouselThread != 0) PostThreadMessageW(m_dwCarouselThread, kStopCarouselMessage, 0, 0);
}

void InstallPageUI::MoveStrip(int32_t distance) {
  if (m_pStrip == nullptr) return;
  RECT place = m_pStrip->GetPos();
  const int scaled = m_pManager->GetDPIObj()->Scale(distance);
  place.left -= scaled;
  place.right -= scaled;
  m_pStrip->SetPos(place);
}

void InstallPageUI::ResetStrip() {
  if (m_pStrip != nullptr) m_pStrip->SetPos(m_rcHome);
  m_nTotalDistance = 0;
  m_nPictureDistance = 0;
}
