#pragma once
// Where the skin's files come from, for every window of the process: the archive that the
// program attached, or a folder of loose files that a tool or test chose. Nothing else is read:
// the installer runs elevated from a folder (Downloads) and with a current directory that a
// standard user controls, so no name falls through to the disk. Win32; the UI thread uses it
// alone.
#include <optional>
#include <string>

#include "skinui/core/skin_archive.h"
#include "skinui/core/skin_read.h"

namespace SkinUI {

class SkinResources {
 public:
  // The one that the process's window managers share.
  static SkinResources& Process();

  SkinResources() = default;
  SkinResources(const SkinResources&) = delete;
  SkinResources& operator=(const SkinResources&) = delete;

  // Chooses to read the skin's files from disk while no archive is attached: `folder` (ending
  // with a separator, or empty for the current directory) is put in front of every name. For
  // the render and check tools and tests; the installer never does. Unset at first.
  const std::optional<std::wstring>& ResourceFolder() const { return resource_folder_; }
  void UseResourceFolder(const std::wstring& folder) { resource_folder_ = folder; }

  // Attaches the zip archive in `data`, which must stay valid for the process (a resource of
  // the program); `password` (null for none) is taken in the ANSI code page. Only the first
  // call counts: the windows built from the first archive keep reading from it. An archive
  // that does not open counts too, and its reads then fail with kOpeningArchive rather than
  // going to disk.
  void SetResourceZip(const void* data, unsigned length, const wchar_t* password);
  // "membuffer" once an archive is attached, empty before.
  const std::wstring& ArchiveName() const { return archive_name_; }

  // A markup file, refused above kMaxSkinXmlBytes: from the archive when one is attached (a
  // name it lacks fails with kEntryNotFound), else the file at ResourceFolder() + name when a
  // folder was chosen, else kNoSkinSource.
  SkinReadResult ReadSkinXml(const std::wstring& name);
  // A picture, refused above kMaxPictureFileBytes, read as ReadSkinXml reads.
  SkinReadResult ReadPicture(const std::wstring& name);

  // The error text of the last read (SkinReadErrorText), empty after one that succeeded.
  const std::string& LastErrorText() const { return last_error_text_; }

 private:
  SkinReadResult Read(const std::wstring& name, size_t limit);

  std::optional<std::wstring> resource_folder_;
  std::wstring archive_name_;
  SkinArchive archive_;
  std::string last_error_text_;
};

}  // namespace SkinUI
