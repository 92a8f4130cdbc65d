#include "skinui/testing/skin_test_window.h"

#include <memory>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>

namespace SkinUI {

TestSkinWindow::~TestSkinWindow() {
  if (m_hWnd != nullptr) DestroyWindow(m_hWnd);
}

bool TestSkinWindow::CreateHidden() {
  if (Create(nullptr, L"SkinUI test", WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0, 0, 100, 100) == nullptr) {
    return false;
  }
  const SIZE size = m_pm.GetInitSize();
  if (size.cx > 0 && size.cy > 0) {
    SetWindowPos(m_hWnd, nullptr, 0, 0, size.cx, size.cy, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
  }
  return true;
}

PixelBuffer TestSkinWindow::Render() {
  RECT client{};
  GetClientRect(m_hWnd, &client);
  PixelBuffer frame(client.right, client.bottom);
  m_pm.RenderTo(frame.View().pixels, frame.Width(), frame.Height());
  return frame;
}

std::wstring DescribeNotification(const TNotifyUI& msg) {
  return msg.type + L":" + (msg.sender != nullptr ? msg.sender->GetName() : L"");
}

void TestSkinWindow::Notify(TNotifyUI& msg) {
  notifications.push_back(DescribeNotification(msg));
  SkinWindowBase::Notify(msg);
}

CControlUI* TestSkinWindow::CreateControl(const wchar_t* element_name) {
  return create_control ? create_control(m_pm, element_name) : nullptr;
}

void PumpMessages() {
  MSG msg{};
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (!CSkinManagerUI::TranslateMessage(&msg)) {
      ::TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
}

std::string PngFromPixels(int width, int height, const std::vector<uint32_t>& argb) {
  std::vector<unsigned char> rgba;
  rgba.reserve(argb.size() * 4);
  for (uint32_t pixel : argb) {
    rgba.push_back(static_cast<unsigned char>(pixel >> 16));
    rgba.push_back(static_cast<unsigned char>(pixel >> 8));
    rgba.push_back(static_cast<unsigned char>(pixel));
    rgba.push_back(static_cast<unsigned char>(pixel >> 24));
  }
  std::string png;
  stbi_write_png_to_func(
      [](void* context, void* data, int size) {
        static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<size_t>(size));
      },
      &png, width, height, 4, rgba.data(), width * 4);
  return png;
}

std::string SolidPng(int width, int height, uint32_t argb) {
  return PngFromPixels(width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height, argb));
}

void AttachTestArchive(const std::vector<ZipEntrySpec>& entries) {
  // The attached bytes must stay as they are: a later call changes nothing, as in the toolkit.
  static std::string archive;
  if (!archive.empty()) return;
  archive = BuildZip(entries);
  CSkinManagerUI::SetResourceZip(archive.data(), static_cast<unsigned>(archive.size()), nullptr);
}

}  // namespace SkinUI
