#include "engine/install_locations.h"

namespace {

const Utf16Char kProductWord[] = U16("Bokrin");
const Utf16Char kBookFolder[] = U16("BokrinEBooks");

}  // namespace

bool EndsWithSeparator(const WString& path) {
  return !path.empty() && (path.back() == U16('\\') || path.back() == U16('/'));
}

WString WithTrailingSeparator(const WString& path) {
  return EndsWithSeparator(path) ? path : path + U16('\\');
}

WString CompleteInstallDirText(const WString& path) {
  if (path.find(kProductWord) != WString::npos) return WithTrailingSeparator(path);
  return WithTrailingSeparator(path) + kProductWord + U16('\\');
}

bool CompleteBookDirText(WString& path) {
  path = WithTrailingSeparator(path);
  if (path.find(kBookFolder) != WString::npos) return false;
  path += kBookFolder;
  path += U16('\\');
  return true;
}

WString BookDirDisplayText(const WString& path) {
  return path.substr(0, path.find(kBookFolder));
}
