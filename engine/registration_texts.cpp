#include "engine/registration_texts.h"

namespace {

WString Quoted(const WString& text) { return U16("\"") + text + U16("\""); }

}  // namespace

WString ClientExePath(const WString& install_dir) { return install_dir + U16("Bokrin.exe"); }

WString UninstallerPath(const WString& install_dir) { return install_dir + U16("Uninstall.exe"); }

WString OpenCommandText(const WString& install_dir) {
  return Quoted(ClientExePath(install_dir)) + U16(" ") + Quoted(U16("%1"));
}

WString LinkWorkingDirectory(const WString& target) {
  const WString::size_type last = target.find_last_of(U16("\\/"));
  return last == WString::npos ? target : target.substr(0, last);
}

WString LaunchParameters(const WString& install_dir) {
  return Quoted(install_dir) + U16(" ") + Quoted(install_dir + U16("openglessl\\"));
}

std::vector<RegistryText> UninstallEntryValues(const WString& install_dir, const WString& version) {
  return {
      {U16("DisplayIcon"), ClientExePath(install_dir)},
      {U16("DisplayName"), U16("Bokrin阅读")},
      {U16("DisplayVersion"), version},
      {U16("UninstallString"), UninstallerPath(install_dir)},
      {U16("Publisher"), U16("Quillmark")},
  };
}
