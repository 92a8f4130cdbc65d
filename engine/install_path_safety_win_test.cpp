#include "engine/install_path_safety_win.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/scoped_handle.h"
#include "common/testing/scoped_temp_dir.h"
#include "engine/testing/folder_security.h"

namespace {

const wchar_t kProgramFilesLike[] = L"D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)";

class InstallPathSafety : public testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(temp_.path().empty()); }
  ScopedTempDir temp_;
};

// Everything this Wine can show of the protection: nothing for standard users to write, and
// nothing at all for Everyone, whatever the parent grants.
TEST_F(InstallPathSafety, FoldersMadeInsideAFolderEveryoneMayWriteAreNotTheirs) {
  const std::wstring parent = temp_.path() + L"shared";
  ASSERT_TRUE(CreateDirectoryW(parent.c_str(), nullptr));
  ASSERT_EQ(SetFolderDacl(parent, L"D:(A;OICI;FA;;;WD)"), static_cast<DWORD>(ERROR_SUCCESS));
  ASSERT_TRUE(IsWritableByStandardUsers(parent));
  const std::wstring innermost = parent + L"\\Bokrin\\openglessl\\";

  ASSERT_EQ(CreateProtectedFolders(innermost), static_cast<DWORD>(ERROR_SUCCESS));

  for (const std::wstring folder : {parent + L"\\Bokrin", parent + L"\\Bokrin\\openglessl"}) {
    SCOPED_TRACE(testing::PrintToString(folder));
    const FolderSecurity security = ReadFolderSecurity(folder);
    ASSERT_TRUE(security.read);
    for (const FolderAce& ace : security.aces) EXPECT_NE(ace.trustee, L"WD") << ace.trustee;
  }
  // The parent stays what it was: standard users may still rename what is in it.
  EXPECT_TRUE(IsWritableByStandardUsers(parent + L"\\Bokrin"));
}

// The whole protection as Program Files has it, read back. Wine 8 keeps no descriptor of its
// own for a file (it shows the Unix mode as one), so there this is skipped, with the reason.
TEST_F(InstallPathSafety, FoldersMadeHaveProgramFilesProtection) {
  const std::wstring probe = temp_.path() + L"probe";
  ASSERT_TRUE(CreateDirectoryW(probe.c_str(), nullptr));
  ASSERT_EQ(SetFolderDacl(probe, kProgramFilesLike), static_cast<DWORD>(ERROR_SUCCESS));
  if (!ReadFolderSecurity(probe).is_protected) {
    GTEST_SKIP() << "this system keeps no protected DACL of a folder (Wine without stored descriptors)";
  }
  const std::wstring folder = temp_.path() + L"made";

  ASSERT_EQ(CreateProtectedFolder(folder), static_cast<DWORD>(ERROR_SUCCESS));

  const FolderSecurity security = ReadFolderSecurity(folder);
  ASSERT_TRUE(security.read);
  EXPECT_TRUE(security.is_protected);
  const std::vector<FolderAce> expected = {{L"BA", FILE_ALL_ACCESS, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE},
                                           {L"SY", FILE_ALL_ACCESS, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE},
                                           {L"BU", FILE_GENERIC_READ | FILE_GENERIC_EXECUTE,
                                            OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE}};
  EXPECT_EQ(security.aces, expected);
}

TEST_F(InstallPathSafety, AnExistingFolderIsLeftAsItIs) {
  const std::wstring folder = temp_.path() + L"there";
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  const FolderSecurity before = ReadFolderSecurity(folder);

  EXPECT_EQ(CreateProtectedFolder(folder), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(CreateProtectedFolders(folder + L"\\"), static_cast<DWORD>(ERROR_SUCCESS));

  EXPECT_EQ(ReadFolderSecurity(folder).aces, before.aces);
}

// A drive that does not exist: nothing can be made, and the walk up ends at its root, which is
// missing too, instead of going round it for ever.
TEST_F(InstallPathSafety, NothingIsMadeOnADriveThatDoesNotExist) {
  ASSERT_EQ(GetFileAttributesW(L"Q:\\"), INVALID_FILE_ATTRIBUTES) << "this system has a drive Q:";
  EXPECT_NE(CreateProtectedFolders(L"Q:\\no\\such\\drive\\"), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(GetFileAttributesW(L"Q:\\no"), INVALID_FILE_ATTRIBUTES);
}

// What can be shown here without links (for those see the end-to-end test): plain folders,
// files and what is missing pass, anywhere on the path.
TEST_F(InstallPathSafety, PlainFoldersFilesAndMissingNamesAreNoLinks) {
  const std::wstring file = temp_.path() + L"file.txt";
  const ScopedHandle created(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
  ASSERT_TRUE(created);
  for (const std::wstring& path : {std::wstring(L"C:\\"), temp_.path(), file, temp_.path() + L"missing\\",
                                   temp_.path() + L"missing\\deeper"}) {
    EXPECT_FALSE(IsLinkOrUnexaminable(path)) << testing::PrintToString(path);
    EXPECT_FALSE(PathHoldsLink(path)) << testing::PrintToString(path);
  }
}

TEST_F(InstallPathSafety, WritableByStandardUsersThroughTheFolderOrAParent) {
  struct Case {
    const char* what;
    const wchar_t* parent_dacl;  // null: as made
    const wchar_t* folder_dacl;
    bool folder_exists;
    bool writable;
  };
  const Case cases[] = {
      {"as made by an administrator", nullptr, nullptr, true, false},
      {"Everyone may write the folder", nullptr, L"D:(A;OICI;FA;;;WD)", true, true},
      {"Everyone may change the folder above", L"D:(A;OICI;FA;;;WD)", nullptr, true, true},
      {"a missing folder whose parent Everyone may write", L"D:(A;OICI;FA;;;WD)", nullptr, false, true},
      {"a missing folder in a folder as made", nullptr, nullptr, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScopedTempDir temp;
    const std::wstring parent = temp.path() + L"parent";
    const std::wstring folder = parent + L"\\Bokrin\\";
    ASSERT_TRUE(CreateDirectoryW(parent.c_str(), nullptr));
    if (c.folder_exists) ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    if (c.folder_dacl) ASSERT_EQ(SetFolderDacl(folder, c.folder_dacl), static_cast<DWORD>(ERROR_SUCCESS));
    if (c.parent_dacl) ASSERT_EQ(SetFolderDacl(parent, c.parent_dacl), static_cast<DWORD>(ERROR_SUCCESS));

    EXPECT_EQ(IsWritableByStandardUsers(folder), c.writable);
  }
}

}  // namespace
