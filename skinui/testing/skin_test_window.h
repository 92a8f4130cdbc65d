#pragma once
// For the toolkit's window tests: a skin-built window whose skin is markup given by the test,
// which records what it is told, and pictures and archives made in the test.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/testing/zip_writer.h"
#include "skinui/core/pixel_painter.h"
#include "skinui/core/uibase.h"

namespace SkinUI {

class TestSkinWindow : public SkinWindowBase {
 public:
  // `markup` is the whole skin file, as text.
  explicit TestSkinWindow(std::wstring markup) : m_markup(std::move(markup)) {}
  ~TestSkinWindow() override;

  // Creates the window hidden, at the size its skin gives; false when it could not.
  bool CreateHidden();

  CControlUI* Find(const wchar_t* name) { return m_pm.FindControl(name); }
  // The whole window drawn into memory at its client size (laid out first if needed).
  PixelBuffer Render();

  // "type:sender name" for every notification the window received, in order.
  std::vector<std::wstring> notifications;
  // Creates the controls for elements the toolkit does not know.
  std::function<CControlUI*(CSkinManagerUI&, const wchar_t*)> create_control;
  int init_window_calls = 0;

  using SkinWindowBase::GetManager;
  using SkinWindowBase::HandleMessage;

 protected:
  const wchar_t* GetWindowClassName() const override { return L"SkinUITestWindow"; }
  CSkinString GetSkinXmlName() override { return m_markup; }
  void InitWindow() override { ++init_window_calls; }
  void Notify(TNotifyUI& msg) override;
  CControlUI* CreateControl(const wchar_t* element_name) override;

 private:
  std::wstring m_markup;
};

// "type:sender name", as the test windows record notifications.
std::wstring DescribeNotification(const TNotifyUI& msg);

// Runs the window messages waiting for this thread.
void PumpMessages();

// A PNG file of `width` x `height` pixels, every one `argb` (not premultiplied), or with the
// pixels given row by row.
std::string SolidPng(int width, int height, uint32_t argb);
std::string PngFromPixels(int width, int height, const std::vector<uint32_t>& argb);

// Attaches a skin archive of these entries for the rest of the test program (only the first
// archive of a process counts); the bytes stay alive with it.
void AttachTestArchive(const std::vector<ZipEntrySpec>& entries);

}  // namespace SkinUI
