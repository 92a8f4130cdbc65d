#pragma once
// Where the skin's files come from, for every window of the process: the archive that the
// program attached, or else the resource folder on disk. Win32; the UI thread uses it alone.
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

  // Put in front of every name read from disk while no archive is attached; empty at first.
  const std::wstring& ResourcePath() const { return resource_path_; }
  void SetResourcePath(const std::wstring& path) { resource_path_ = path; }

  // Attaches the zip archive in `data`, which must stay valid for the process (a resource of
  // the program); `password` (null for none) is taken in the ANSI code page. Only the first
  // call counts: the windows built from the first archive keep reading from it. An archive
  // that does not open counts too, and its reads then fail with kOpeningArchive rather than
  // going to disk.
  void SetResourceZip(const void* data, unsigned length, const wchar_t* password);
  // "membuffer" once an archive is attached, empty before.
  const std::wstring& ArchiveName() const { return archive_name_; }

  // A markup file, refused above kMaxSkinXmlBytes: from the archive when one is attached,
  // else the file at ResourcePath() + name.
  SkinReadResult ReadSkinXml(const std::wstring& name);
  // A picture, refused above kMaxPictureFileBytes, read as ReadSkinXml reads; one that the
  // attached archive does not hold is read from disk at `name` as it is, which may be a full
  // path of a picture outside the skin.
  SkinReadResult ReadPicture(const std::wstring& name);

  // The error text of the last read (SkinReadErrorText), empty after one that succeeded.
  const std::string& LastErrorText() const { return last_error_text_; }

 private:
  SkinReadResult Read(const std::wstring& name, size_t limit, bool falls_back_to_disk);

  std::wstring resource_path_;
  std::wstring archive_name_;
  SkinArchive archive_;
  std::string last_error_text_;
};

}  // namespace SkinUI
