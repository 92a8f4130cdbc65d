#include "engine/registration_texts.h"

namespace {

WString Quoted(const WString& text) { return U16("\"") + text + U16("\""); }

// The version the service announced is shown in the list of programs only; an announcement of
// any length must not grow the registry. A surrogate pair is kept whole or dropped whole.
WString DisplayVersionText(const WString& version) {
  if (version.size() <= kDisplayVersionLimit) return version;
  WString::size_type cut = kDisplayVersionLimit;
  const Utf16Char last = version[cut - 1];
  if (last >= 0xD800 && last <= 0xDBFF) --cut;
  return version.substr(0, cut);
}

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
      {U16("DisplayVersion"), DisplayVersionText(version)},
      // Quoted: the path holds blanks ("Program Files"), and an unquoted one is split at them.
      {U16("UninstallString"), Quoted(UninstallerPath(install_dir))},
      {U16("Publisher"), U16("Quillmark")},
  };
}
