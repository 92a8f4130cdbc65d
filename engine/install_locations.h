#pragma once
// Where the client, its books and the downloaded package go, and the product key in which
// the installer records these places for later runs, for the client and for the launch. The
// text rules are portable (install_locations.cpp); the rest touches the disk and the registry
// (install_locations_win.cpp).
#include <string>

#include "common/product_names.h"
#include "common/utf16.h"

// The text rules that turn a chosen directory into the install or book directory, and the
// book directory's shown form. Only the characters count; nothing here touches the disk.
// True when the last character is "\" or "/".
bool EndsWithSeparator(const WString& path);
// `path` with "\" appended unless it ends with a separator already.
WString WithTrailingSeparator(const WString& path);
// A directory whose text contains "Bokrin" (case-sensitive) is the install directory itself;
// any other one gets a "Bokrin" sub-directory. The result ends with a separator.
WString CompleteInstallDirText(const WString& path);
// Gives `path` a trailing separator and, when it lacks "BokrinEBooks" (case-sensitive), the
// sub-directory "BokrinEBooks\". True when that sub-directory was added, so the caller still
// has to create it.
bool CompleteBookDirText(WString& path);
// The recorded book directory as the custom-install page shows it: cut before the first
// "BokrinEBooks", so that keeping it gives the same directory once completed again.
WString BookDirDisplayText(const WString& path);

// The values of the product key.
inline constexpr wchar_t kInstallDirValue[] = L"Bokrin";
inline constexpr wchar_t kBookDirValue[] = L"BokrinEbook";
inline constexpr wchar_t kAppDataDirValue[] = L"BokrinAppDate";
inline constexpr wchar_t kPackagePathValue[] = L"BokrinPackage";

// Completes `directory` into the install directory: with `use_default` it starts from the
// program files folder. The chosen directory is created one level deep first; when that
// fails the text stays unchanged. True only when this call created the final directory.
bool DefaultInstallDir(bool use_default, std::wstring& directory);
// The application-data directory followed by "eBooks\", created when missing.
std::wstring DefaultBookDir();
// The local temporary directory followed by "BokrinInstallZip\", created when missing.
std::wstring PackageTempDir();
// The default install and book directories, both created.
void DefaultPaths(std::wstring& install_dir, std::wstring& book_dir);
// Records the completed directories and the application-data directory under the product
// key of the local machine, then of the current user.
void WriteLocationValues(const std::wstring& install_dir, const std::wstring& book_dir);
// Records the downloaded package under the local machine's product key.
void WritePackagePathValue(const std::wstring& package_path);

// The directories recorded by an earlier installation: the install directory of the local
// machine and the book directory of the current user; each empty when missing.
struct RecordedLocations {
  std::wstring install_dir;
  std::wstring book_dir;
};
RecordedLocations ReadRecordedLocations();

// The directories of a quick install: the recorded ones when both are recorded; otherwise
// none, and the engine takes its defaults.
RecordedLocations QuickInstallLocations();

// The texts of the custom-install page's directory fields: the recorded directories, each
// replaced by its default (created on the way) when nothing is recorded, and the book
// directory without its "BokrinEBooks" part. A text in `given` (a directory named on the
// command line) stands as it was written in place of its field's, and then only the default of
// a field still empty is created.
struct PrefillTexts {
  std::wstring install_text;
  std::wstring book_text;
};
PrefillTexts ComputePrefillTexts(const PrefillTexts& given = PrefillTexts());

// The check of the custom-install page's two directories, also made for the ones named on the
// command line: one not given in full (IsFullDirectoryPath) is refused; then each is created as
// far as it can be, and one that then is no directory is refused, the install directory first.
enum class ChosenDirectoryFault { kNone, kInstallDir, kBookDir };
ChosenDirectoryFault CheckChosenDirectories(const std::wstring& install_dir, const std::wstring& book_dir);
