// Checks a skin folder for what the installer would only note in its setup log: attributes that
// no control takes (a misspelt name draws nothing and says nothing on screen) and files that do
// not build.
//
//   skin-check.exe FOLDER
//
// Builds every *.xml file of FOLDER, each into a window of its own as the installer builds its
// windows, with the installer's own page elements left out (their files are checked as files
// of the folder). Prints one line per fault, then "skin-check: FAILED" or "skin-check: clean".
// Exit code: 0 when clean, 1 on a fault, 2 on a usage error or an empty folder.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "common/scoped_handle.h"
#include "common/text_convert.h"
#include "skinui/core/skin_diagnostics.h"
#include "skinui/core/skin_resources.h"
#include "skinui/core/uibase.h"
#include "skinui/core/uibuilder.h"

namespace {

using namespace SkinUI;

struct IgnoredAttribute {
  const wchar_t* element;
  const wchar_t* attribute;
};

// Attributes that the shipped skin carries and the toolkit leaves alone on purpose.
constexpr IgnoredAttribute kIgnoredOnPurpose[] = {
    // The pressed picture is "pushedimage"; the skin's buttons were drawn with none, and what
    // they say under "pushimage" was never shown.
    {L"Button", L"pushimage"},
    // The progress bar has no thumb to size; the skin's "0,0" asks for none.
    {L"Slider", L"thumbsize"},
};

bool IsIgnoredOnPurpose(WStringView element, WStringView attribute) {
  return std::any_of(std::begin(kIgnoredOnPurpose), std::end(kIgnoredOnPurpose), [&](const IgnoredAttribute& ignored) {
    return NameEquals(element, ignored.element) && NameEquals(attribute, ignored.attribute);
  });
}

void PrintLine(const std::wstring& line) {
  const std::string text = WideToCodePage(CP_UTF8, line) + '\n';
  std::fwrite(text.data(), 1, text.size(), stdout);
}

class FaultPrinter final : public ISkinDiagnostics {
 public:
  void UnknownAttribute(WStringView file, WStringView element, WStringView attribute) override {
    if (IsIgnoredOnPurpose(element, attribute)) return;
    Fault(std::wstring(file) + L": " + std::wstring(element) + L" has an unknown attribute \"" +
          std::wstring(attribute) + L"\"");
  }
  void SkinFileFailed(WStringView file, const std::string& error) override {
    Fault(std::wstring(file) + L" cannot be built: " + CodePageToWide(CP_UTF8, error));
  }
  void PictureMissing(WStringView name) override { Fault(L"picture " + std::wstring(name) + L" cannot be loaded"); }

  bool Clean() const { return m_faults == 0; }

 private:
  void Fault(const std::wstring& line) {
    ++m_faults;
    PrintLine(line);
  }

  int m_faults = 0;
};

// A hidden window, so that the window attributes of a file are applied (and checked) too.
class CheckWindow final : public CNativeWindow {
 public:
  ~CheckWindow() override {
    if (m_hWnd != nullptr) DestroyWindow(m_hWnd);
  }

 protected:
  const wchar_t* GetWindowClassName() const override { return L"SkinCheckWindow"; }
};

std::vector<std::wstring> SkinFiles(const std::wstring& folder) {
  std::vector<std::wstring> files;
  WIN32_FIND_DATAW found{};
  const ScopedFindHandle search(FindFirstFileW((folder + L"\\*.xml").c_str(), &found));
  if (!search) return files;
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) files.emplace_back(found.cFileName);
  } while (FindNextFileW(search.Get(), &found));
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fputs("usage: skin-check.exe FOLDER\n", stderr);
    return 2;
  }
  const std::wstring folder = argv[1];
  const std::vector<std::wstring> files = SkinFiles(folder);
  if (files.empty()) {
    std::fputs("skin-check: no skin files in the folder\n", stderr);
    return 2;
  }
  CSkinManagerUI::SetInstance(GetModuleHandleW(nullptr));
  SkinResources::Process().UseResourceFolder(folder + L"\\");
  FaultPrinter faults;
  SetSkinDiagnostics(&faults);
  CheckWindow window;
  if (window.Create(nullptr, L"skin-check", WS_POPUP, 0, 0, 0, 100, 100) == nullptr) return 2;
  for (const std::wstring& file : files) {
    CSkinManagerUI manager;
    manager.Init(window.GetHWND());
    CSkinBuilder builder;
    // Built and let go: the check needs the building, not the tree.
    builder.Create(file.c_str(), nullptr, nullptr, &manager);
  }
  SetSkinDiagnostics(nullptr);
  std::puts(faults.Clean() ? "skin-check: clean" : "skin-check: FAILED");
  return faults.Clean() ? 0 : 1;
}
