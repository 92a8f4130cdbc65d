#include "engine/package_extraction.h"

#include <string>
#include <vector>

#include "common/paths.h"
#include "common/product_names.h"
#include "common/text_convert.h"
#include "engine/archive_reader.h"
#include "engine/engine_messages.h"
#include "engine/entry_names.h"
#include "engine/install_messages.h"
#include "engine/progress_milestones.h"

namespace {

const wchar_t kUnreadableStatus[] = L"打开压缩包失败，请重新下载！";
const wchar_t kUnreadableError[] = L"下载失败，请检查网络后重新下载！";
const wchar_t kReplaceFailedStatus[] = L"文件替换失败，请退出Bokrin阅读客户端后再试！";
const wchar_t kReplaceFailedError[] = L"请退出“Bokrin阅读”后重新安装";

// Progress messages per package: a package of this many entries or more sends between this
// many and twice as many, a smaller one one per entry.
constexpr int32_t kProgressMessages = 150;

void ReportUnreadablePackage(HWND window) {
  PostStatus(window, kUnreadableStatus);
  PostError(window, kErrorBackToStart, kUnreadableError);
}

// The path goes in the system code page while the wizard reads the whole text as code page
// 936; on a Chinese system the two are the same.
void ReportUnwritableFile(HWND window, const std::wstring& target) {
  PostNarrowStatus(window, WideToCodePage(CP_ACP, target) + WideToCodePage(kStatusCodePage, kReplaceFailedStatus));
  PostError(window, kErrorQuit, kReplaceFailedError);
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
  int32_t progress = kProgressDownloaded + 1;
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
      PostProgress(window, progress++);
    }
  }
  return true;
}
