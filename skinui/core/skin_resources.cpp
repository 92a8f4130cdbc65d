#include "skinui/core/skin_resources.h"

#include <windows.h>

#include "common/text_convert.h"
#include "skinui/core/skin_file_reader.h"

namespace SkinUI {

namespace {

constexpr wchar_t kMemoryArchiveName[] = L"membuffer";

}  // namespace

SkinResources& SkinResources::Process() {
  static SkinResources resources;
  return resources;
}

void SkinResources::SetResourceZip(const void* data, unsigned length, const wchar_t* password) {
  if (archive_name_ == kMemoryArchiveName) return;
  archive_name_ = kMemoryArchiveName;
  archive_.Attach(data, length, WideToCodePage(CP_ACP, password != nullptr ? password : L""));
}

SkinReadResult SkinResources::ReadSkinXml(const std::wstring& name) { return Read(name, kMaxSkinXmlBytes); }

SkinReadResult SkinResources::ReadPicture(const std::wstring& name) { return Read(name, kMaxPictureFileBytes); }

SkinReadResult SkinResources::Read(const std::wstring& name, size_t limit) {
  SkinReadResult result;
  if (!archive_name_.empty()) {
    result = archive_.Read(name, limit);
  } else if (resource_folder_) {
    result = ReadSkinFile(*resource_folder_ + name, limit);
  } else {
    result.error = SkinReadError::kNoSkinSource;
  }
  last_error_text_ = SkinReadErrorText(result.error);
  return result;
}

}  // namespace SkinUI
