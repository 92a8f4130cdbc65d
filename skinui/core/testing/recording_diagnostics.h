#pragma once
// For tests: a skin diagnostics sink that keeps every report while it lives, installed in place
// of the process's sink and putting that one back when it goes.
#include <string>
#include <vector>

#include "skinui/core/skin_diagnostics.h"

namespace SkinUI {

class RecordingDiagnostics final : public ISkinDiagnostics {
 public:
  struct UnknownAttributeReport {
    WString file;
    WString element;
    WString attribute;
    bool operator==(const UnknownAttributeReport& other) const {
      return file == other.file && element == other.element && attribute == other.attribute;
    }
  };
  struct FailedFileReport {
    WString file;
    std::string error;
  };

  RecordingDiagnostics() : m_replaced(SetSkinDiagnostics(this)) {}
  ~RecordingDiagnostics() { SetSkinDiagnostics(m_replaced); }
  RecordingDiagnostics(const RecordingDiagnostics&) = delete;
  RecordingDiagnostics& operator=(const RecordingDiagnostics&) = delete;

  void UnknownAttribute(WStringView file, WStringView element, WStringView attribute) override {
    unknown_attributes.push_back({WString(file), WString(element), WString(attribute)});
  }
  void SkinFileFailed(WStringView file, const std::string& error) override {
    failed_files.push_back({WString(file), error});
  }
  void PictureMissing(WStringView name) override { missing_pictures.emplace_back(name); }

  std::vector<UnknownAttributeReport> unknown_attributes;
  std::vector<FailedFileReport> failed_files;
  std::vector<WString> missing_pictures;

 private:
  ISkinDiagnostics* m_replaced;
};

}  // namespace SkinUI
