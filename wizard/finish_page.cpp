#include "wizard/finish_page.h"

#include "wizard/wizard_messages.h"

void InstallFinishUI::Notify(SkinUI::TNotifyUI& msg) {
  if (msg.type == L"click" && msg.sender != nullptr && msg.sender->GetName() == L"btn_BeginToRead") {
    PostMessageW(m_pManager->GetPaintWindow(), WM_WIZARD_START_READING, 0, 0);
  }
}
