// Renders a skin file into a PNG file, headless, at a chosen display scale: for artwork work on
// the skin and for screenshots. The window is built and painted as the installer would, but
// never shown.
//
//   skin-render.exe --skin FILE.xml --from FOLDER-OR-ZIP --out FILE.png
//                   [--scale PERCENT] [--page ELEMENT=FILE.xml]... [--select TAB=INDEX]
//                   [--positions FILE.txt]
//
// --page builds FILE.xml into the place of each ELEMENT the toolkit does not know (the
// installer's pages); --select shows page INDEX of the tab layout named TAB; --positions writes
// "name left top right bottom" for every shown control with a name, in window pixels, which is
// where tests that drive the real window click and look.
// Exit code: 0 when the PNG was written, 1 on a usage error, 2 when the skin does not build,
// 3 when the PNG could not be written.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "common/text_convert.h"
#include "skinui/core/uibase.h"
#include "skinui/core/uibuilder.h"
#include "skinui/core/skin_resources.h"
#include "skinui/layout/uicontainer.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
#pragma GCC diagnostic pop

namespace {

using namespace SkinUI;

struct Options {
  std::wstring skin;
  std::wstring from;
  std::wstring out;
  int scale = 100;
  std::map<std::wstring, std::wstring> pages;
  std::wstring select_tab;
  int select_index = 0;
  std::wstring positions;
};

// A page element of the skin, built from its own file into the window's manager, as the
// installer's pages are.
class PageControl : public CHorizontalLayoutUI {
 public:
  PageControl(CSkinManagerUI& manager, const std::wstring& file) {
    SetManager(&manager, nullptr, false);
    CSkinBuilder builder;
    Add(builder.Create(file.c_str(), nullptr, nullptr, &manager));
  }
};

class RenderWindow : public SkinWindowBase {
 public:
  explicit RenderWindow(const Options& options) : m_options(options) {}
  ~RenderWindow() override {
    if (m_hWnd != nullptr) DestroyWindow(m_hWnd);
  }
  CSkinManagerUI& Manager() { return m_pm; }

 protected:
  const wchar_t* GetWindowClassName() const override { return L"SkinRenderWindow"; }
  CSkinString GetSkinXmlName() override { return m_options.skin; }
  CControlUI* CreateControl(const wchar_t* element_name) override {
    const auto page = m_options.pages.find(element_name);
    return page != m_options.pages.end() ? new PageControl(m_pm, page->second) : nullptr;
  }

 private:
  const Options& m_options;
};

bool ParseOptions(int argc, wchar_t** argv, Options& options) {
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::wstring name = argv[i];
    const std::wstring value = argv[i + 1];
    if (name == L"--skin") {
      options.skin = value;
    } else if (name == L"--from") {
      options.from = value;
    } else if (name == L"--out") {
      options.out = value;
    } else if (name == L"--scale") {
      options.scale = _wtoi(value.c_str());
    } else if (name == L"--page" && value.find(L'=') != std::wstring::npos) {
      options.pages[value.substr(0, value.find(L'='))] = value.substr(value.find(L'=') + 1);
    } else if (name == L"--positions") {
      options.positions = value;
    } else if (name == L"--select" && value.find(L'=') != std::wstring::npos) {
      options.select_tab = value.substr(0, value.find(L'='));
      options.select_index = _wtoi(value.c_str() + value.find(L'=') + 1);
    } else {
      return false;
    }
  }
  return argc % 2 == 1 && !options.skin.empty() && !options.from.empty() && !options.out.empty() &&
         options.scale >= 100;
}

// The skin comes from a zip archive as the installer's does, or from a folder of loose files.
bool AttachSkin(const std::wstring& from, std::string& archive) {
  const DWORD attributes = GetFileAttributesW(from.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    SkinResources::Process().UseResourceFolder(from + L"\\");
    return true;
  }
  std::ifstream file(from.c_str(), std::ios::binary);
  archive.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  CSkinManagerUI::SetResourceZip(archive.data(), static_cast<unsigned>(archive.size()), nullptr);
  return !archive.empty();
}

// PNG wants straight alpha in R, G, B, A order; the frame holds premultiplied B, G, R, A.
bool WritePng(const std::wstring& path, const std::vector<uint32_t>& frame, int width, int height) {
  std::vector<unsigned char> rgba;
  rgba.reserve(frame.size() * 4);
  for (uint32_t pixel : frame) {
    const unsigned alpha = pixel >> 24;
    const auto straight = [alpha](unsigned channel) {
      return static_cast<unsigned char>(alpha == 0 ? 0 : (channel * 255 + alpha / 2) / alpha);
    };
    rgba.push_back(straight((pixel >> 16) & 0xFF));
    rgba.push_back(straight((pixel >> 8) & 0xFF));
    rgba.push_back(straight(pixel & 0xFF));
    rgba.push_back(static_cast<unsigned char>(alpha));
  }
  std::string png;
  stbi_write_png_to_func(
      [](void* context, void* data, int size) {
        static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<size_t>(size));
      },
      &png, width, height, 4, rgba.data(), width * 4);
  std::ofstream out(path.c_str(), std::ios::binary);
  out.write(png.data(), static_cast<std::streamsize>(png.size()));
  return !png.empty() && out.good();
}

void WritePositions(const CControlUI& control, std::ofstream& out) {
  if (!control.IsVisible()) return;
  if (!control.GetName().empty()) {
    const RECT& pos = control.GetPos();
    char line[64];
    std::snprintf(line, sizeof(line), " %ld %ld %ld %ld\n", static_cast<long>(pos.left), static_cast<long>(pos.top),
                  static_cast<long>(pos.right), static_cast<long>(pos.bottom));
    const CSkinString& name = control.GetName();
    out << Utf16ToUtf8(reinterpret_cast<const Utf16Char*>(name.data()), name.size()) << line;
  }
  if (const auto* container = dynamic_cast<const CContainerUI*>(&control)) {
    for (int i = 0; i < container->GetCount(); ++i) WritePositions(*container->GetItemAt(i), out);
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    std::fputs("usage: skin-render.exe --skin FILE.xml --from FOLDER-OR-ZIP --out FILE.png [--scale PERCENT] "
               "[--page ELEMENT=FILE.xml]... [--select TAB=INDEX] [--positions FILE.txt]\n",
               stderr);
    return 1;
  }
  SetProcessDPIAware();
  CSkinManagerUI::SetInstance(GetModuleHandleW(nullptr));
  std::string archive;
  if (!AttachSkin(options.from, archive)) {
    std::fputs("skin-render: the skin folder or archive cannot be read\n", stderr);
    return 2;
  }
  RenderWindow window(options);
  // A skin that does not build ends the process with the toolkit's message box, as the
  // installer's windows do.
  if (window.Create(nullptr, L"skin-render", WS_POPUP, 0, 0, 0, 100, 100) == nullptr) return 2;
  CSkinManagerUI& manager = window.Manager();
  const SIZE size = manager.GetInitSize();
  SetWindowPos(window.GetHWND(), nullptr, 0, 0, size.cx, size.cy, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
  if (options.scale != 100) manager.SetScale(options.scale);
  if (!options.select_tab.empty()) {
    if (auto* tab = dynamic_cast<CTabLayoutUI*>(manager.FindControl(options.select_tab.c_str()))) {
      tab->SelectItem(options.select_index);
    }
  }
  RECT client{};
  GetClientRect(window.GetHWND(), &client);
  const int width = client.right;
  const int height = client.bottom;
  if (width <= 0 || height <= 0) return 2;
  std::vector<uint32_t> frame(static_cast<size_t>(width) * static_cast<size_t>(height));
  manager.RenderTo(frame.data(), width, height);
  if (!WritePng(options.out, frame, width, height)) return 3;
  if (!options.positions.empty()) {
    std::ofstream positions(options.positions.c_str(), std::ios::binary);
    WritePositions(*manager.GetRoot(), positions);
    if (!positions.good()) return 3;
  }
  std::printf("%dx%d\n", width, height);
  return 0;
}
