#include "engine/package_extraction.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/paths.h"
#include "common/scoped_handle.h"
#include "engine/archive_reader.h"
#include "engine/entry_names.h"
#include "engine/install_messages.h"

namespace {

const wchar_t kUnreadableStatus[] = L"打开压缩包失败，请重新下载！";
const wchar_t kUnreadableError[] = L"下载失败，请检查网络后重新下载！";
const wchar_t kReplaceFailedStatus[] = L"文件替换失败，请退出Bokrin阅读客户端后再试！";
const wchar_t kReplaceFailedError[] = L"请退出“Bokrin阅读”后重新安装";

constexpr UINT kStatusCodePage = 936;
constexpr LPARAM kFirstProgress = 801;
// Progress messages per package: a package of this many entries or more sends between this
// many and twice as many, a smaller one one per entry.
constexpr int32_t kProgressMessages = 150;

struct MallocTraits {
  using Handle = char*;
  static Handle NullHandle() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { std::free(h); }
};
using ScopedMalloc = ScopedObject<MallocTraits>;

std::string ToCodePage(UINT code_page, const std::wstring& text) {
  if (text.empty()) return std::string();
  const int length = static_cast<int>(text.size());
  const int bytes = WideCharToMultiByte(code_page, 0, text.c_str(), length, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return std::string();
  std::string narrow(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(code_page, 0, text.c_str(), length, &narrow[0], bytes, nullptr, nullptr);
  return narrow;
}

void ReportUnreadablePackage(HWND window) {
  PostMessageW(window, WM_INSTALL_STATUS, kStatusWide, reinterpret_cast<LPARAM>(kUnreadableStatus));
  PostMessageW(window, WM_INSTALL_ERROR, kErrorBackToStart, reinterpret_cast<LPARAM>(kUnreadableError));
}

// The path goes in the system code page while the wizard reads the whole text as code page
// 936; on a Chinese system the two are the same.
void ReportUnwritableFile(HWND window, const std::wstring& target) {
  const std::string text = ToCodePage(CP_ACP, target) + ToCodePage(kStatusCodePage, kReplaceFailedStatus);
  ScopedMalloc block(static_cast<char*>(std::malloc(text.size() + 1)));
  if (block) {
    std::memcpy(block.Get(), text.c_str(), text.size() + 1);
    // Once posted, the block is the window's to free.
    if (PostMessageW(window, WM_INSTALL_STATUS, kStatusNarrow936, reinterpret_cast<LPARAM>(block.Get()))) {
      block.Release();
    }
  }
  PostMessageW(window, WM_INSTALL_ERROR, kErrorQuit, reinterpret_cast<LPARAM>(kReplaceFailedError));
}

// Every entry, read before anything is written, so that a package with one unreadable entry or
// one name that would land outside the install directory leaves the disk untouched.
bool ReadAllEntries(ArchiveHandle archive, std::vector<ArchiveEntry>* entries) {
  ArchiveEntry summary;
  if (GetArchiveEntry(archive, -1, &summary) != 0) return false;
  entries->resize(static_cast<size_t>(summary.index));
  for (int32_t number = 0; number < summary.index; ++number) {
    ArchiveEntry& entry = (*entries)[static_cast<size_t>(number)];
    if (GetArchiveEntry(archive, number, &entry) != 0 || !IsContainedEntryName(entry.name)) return false;
  }
  return true;
}

}  // namespace

bool ExtractPackage(InstallApp* engine, const std::wstring& package_path, const std::wstring& install_dir) {
  return ExtractPackage(engine->m_hWnd, package_path, install_dir);
}

bool ExtractPackage(HWND window, const std::wstring& package_path, const std::wstring& install_dir) {
  std::wstring directory = install_dir;
  if (directory.empty() || (directory.back() != L'\\' && directory.back() != L'/')) directory += L'\\';

  const ScopedArchive archive(OpenArchive(package_path));
  std::vector<ArchiveEntry> entries;
  if (!archive || !ReadAllEntries(archive.Get(), &entries)) {
    ReportUnreadablePackage(window);
    return false;
  }

  const int32_t count = static_cast<int32_t>(entries.size());
  const int32_t step = count / kProgressMessages > 0 ? count / kProgressMessages : 1;
  LPARAM progress = kFirstProgress;
  int32_t in_block = 0;
  for (int32_t number = 0; number < count; ++number) {
    const std::wstring& name = entries[static_cast<size_t>(number)].name;
    const std::wstring target = directory + name;
    // An earlier installation's file goes first, read-only or not; directories stay.
    if (PathExists(target, false)) ForceDeleteFile(target.c_str());
    if (name.back() == L'/' && !PathExists(target, true)) CreateDirectoryW(target.c_str(), nullptr);
    if (ExtractEntry(archive.Get(), number, target) != 0) {
      ReportUnwritableFile(window, target);
      return false;
    }
    if (++in_block == step) {
      in_block = 0;
      PostMessageW(window, WM_INSTALL_PROGRESS, 0, progress++);
    }
  }
  return true;
}
