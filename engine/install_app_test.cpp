#include "engine/install_app.h"

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cwchar>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "common/paths.h"
#include "common/product_names.h"
#include "common/registry.h"
#include "common/scoped_handle.h"
#include "common/testing/scoped_temp_dir.h"
#include "common/testing/setup_log_reading.h"
#include "common/testing/zip_writer.h"
#include "common/text_convert.h"
#include "engine/install_locations.h"
#include "engine/install_messages.h"
#include "engine/testing/message_sink_window.h"
#include "engine/testing/report_lines.h"
#include "engine/window_install_observer.h"
#include "tools/services/service_control.h"

namespace {

constexpr uint32_t kMiB = 1048576;

// The engine's download reporting as the wizard window receives it.
class DownloadReportingTest : public testing::Test {
 protected:
  DownloadReportingTest() : app_(sink_.hwnd(), L"", L"") {}

  std::vector<PostedMessage> Feed(uint32_t received, uint32_t total) {
    app_.OnDownloadProgress(0, received, total, 0);
    return Take();
  }
  std::vector<PostedMessage> Take() {
    const size_t before = sink_.messages().size();
    sink_.Drain();
    return std::vector<PostedMessage>(sink_.messages().begin() + static_cast<std::ptrdiff_t>(before),
                                      sink_.messages().end());
  }

  MessageSinkWindow sink_;
  InstallApp app_;
};

TEST_F(DownloadReportingTest, PostsTheValueAndANarrowSizeTextThatReadsBackAsChinese) {
  const std::vector<PostedMessage> posted = Feed(2 * kMiB, 2 * kMiB);
  ASSERT_EQ(posted.size(), 2u);
  EXPECT_EQ(posted[0].message, WM_INSTALL_PROGRESS);
  EXPECT_EQ(posted[0].value, 799);
  EXPECT_EQ(posted[1].message, WM_INSTALL_STATUS);
  EXPECT_EQ(posted[1].wparam, kStatusNarrow936);
  EXPECT_EQ(posted[1].text, L"正在下载，请稍候...(已下载：2.00 MB 共：2.00 MB)");
  EXPECT_EQ(app_.m_nLastProgress, 799);
}

TEST_F(DownloadReportingTest, RepeatedValueAndFailedAttemptPostNothing) {
  ASSERT_EQ(Feed(4096, 2 * kMiB).size(), 2u);
  EXPECT_TRUE(Feed(4500, 2 * kMiB).empty());
  app_.OnDownloadProgress(-2, 0, 0, -2);
  EXPECT_TRUE(Take().empty());
  EXPECT_EQ(app_.m_nLastProgress, 101);
}

TEST_F(DownloadReportingTest, WithoutASizeOnlyTheReceivedAmountIsShown) {
  const std::vector<PostedMessage> posted = Feed(kMiB + 4096, 0);
  ASSERT_EQ(posted.size(), 1u);
  EXPECT_EQ(posted[0].message, WM_INSTALL_STATUS);
  EXPECT_EQ(posted[0].text, L"正在下载，请稍候...(已下载：1.00 MB)");
  EXPECT_TRUE(Feed(kMiB + 8192, 0).empty());
  EXPECT_EQ(app_.m_nLastProgress, 0);
}

// Each report becomes the message that the wizard window handles, with its payload.
TEST(WindowInstallObserverTest, PostsOneMessagePerReport) {
  MessageSinkWindow sink;
  WindowInstallObserver observer(sink.hwnd());
  observer.OnStatus(L"正在解压，请稍候...");
  observer.OnNarrowStatus(WideToCodePage(kStatusCodePage, L"文件替换失败"));
  observer.OnProgress(801);
  observer.OnError(ErrorMode::kStay, L"下载失败");
  observer.OnError(ErrorMode::kBackToStart, L"当前无网络");
  observer.OnError(ErrorMode::kQuit, L"请退出");
  observer.OnFinished();
  sink.Drain();

  struct Expected {
    UINT message;
    WPARAM wparam;
    std::wstring text;
  };
  const Expected kExpected[] = {
      {WM_INSTALL_STATUS, kStatusWide, L"正在解压，请稍候..."}, {WM_INSTALL_STATUS, kStatusNarrow936, L"文件替换失败"},
      {WM_INSTALL_PROGRESS, 0, L""},                         {WM_INSTALL_ERROR, 0, L"下载失败"},
      {WM_INSTALL_ERROR, 2, L"当前无网络"},                    {WM_INSTALL_ERROR, 4, L"请退出"},
      {WM_INSTALL_FINISHED, 0, L""},
  };
  ASSERT_EQ(sink.messages().size(), std::size(kExpected));
  for (size_t i = 0; i < std::size(kExpected); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(sink.messages()[i].message, kExpected[i].message);
    EXPECT_EQ(sink.messages()[i].wparam, kExpected[i].wparam);
    EXPECT_EQ(sink.messages()[i].text, kExpected[i].text);
  }
  EXPECT_EQ(sink.ProgressValues(), std::vector<LPARAM>{801});
  EXPECT_EQ(sink.messages().back().value, 0);
}

// Whole installations against the local services, without a window.

const std::vector<std::wstring> kFirstSteps = {
    L"STATUS 获取安装包，请稍候...", L"PROGRESS 20", L"STATUS 正在访问链接，请稍候...", L"STATUS 链接返回，请稍候...",
    L"PROGRESS 80"};
const std::vector<std::wstring> kBeforeDownload = {L"PROGRESS 100", L"STATUS 正在下载，请稍候..."};
const std::vector<std::wstring> kAfterDownload = {L"PROGRESS 800", L"STATUS 正在解压，请稍候..."};
const std::vector<std::wstring> kPackageUnreadable = {L"STATUS 打开压缩包失败，请重新下载！",
                                                      L"ERROR 2 下载失败，请检查网络后重新下载！"};
const wchar_t kDownloadStatus[] = L"STATUS 正在下载，请稍候...(";
const wchar_t kNoRoomError[] = L"ERROR 0 临时文件夹所在磁盘空间不足，请清理磁盘后重试！";
// Stands for the install directory in the expected lines.
const wchar_t kInstallDirMark[] = L"<install>";

std::vector<std::wstring> Joined(std::initializer_list<std::vector<std::wstring>> parts) {
  std::vector<std::wstring> lines;
  for (const std::vector<std::wstring>& part : parts) lines.insert(lines.end(), part.begin(), part.end());
  return lines;
}

bool StartsWith(const std::wstring& text, const std::wstring& start) { return text.compare(0, start.size(), start) == 0; }

int ProgressValue(const std::wstring& line) {
  return StartsWith(line, L"PROGRESS ") ? std::stoi(line.substr(9)) : -1;
}

bool IsDownloadReport(const std::wstring& line) {
  const int value = ProgressValue(line);
  return StartsWith(line, kDownloadStatus) || (value > 100 && value < 800);
}

// The lines without the download's own reports, so that the fixed steps compare as a whole.
std::vector<std::wstring> WithoutDownloadReports(const std::vector<std::wstring>& lines) {
  std::vector<std::wstring> kept;
  for (const std::wstring& line : lines) {
    if (!IsDownloadReport(line)) kept.push_back(line);
  }
  return kept;
}

std::vector<std::wstring> DownloadReports(const std::vector<std::wstring>& lines) {
  std::vector<std::wstring> reports;
  for (const std::wstring& line : lines) {
    if (IsDownloadReport(line)) reports.push_back(line);
  }
  return reports;
}

// "PROGRESS 801" to "PROGRESS <800 + count>".
std::vector<std::wstring> ExtractionSteps(int count) {
  std::vector<std::wstring> steps;
  for (int i = 1; i <= count; ++i) steps.push_back(L"PROGRESS " + std::to_wstring(800 + i));
  return steps;
}

std::wstring Megabytes(size_t bytes) {
  wchar_t text[32];
  swprintf(text, 32, L"%.02f", static_cast<double>(bytes) / kMiB);
  return text;
}

// Bytes that deflate cannot shrink, so that the body arrives in many reads.
std::string NoiseBytes(size_t size) {
  std::string bytes(size, '\0');
  uint32_t state = 12345;
  for (char& byte : bytes) {
    state = state * 1103515245u + 12345u;
    byte = static_cast<char>(state >> 24);
  }
  return bytes;
}

const std::vector<ZipEntrySpec> kRelease = {
    {"Bokrin.exe", "MZ stand-in"}, {"data/", ""}, {"data/noise.bin", NoiseBytes(3 * kMiB / 2)}};

// The release with the client's stored CRC wrong: the first entry to be written is damaged.
std::vector<ZipEntrySpec> DamagedRelease() {
  std::vector<ZipEntrySpec> entries = kRelease;
  entries[0].wrong_crc = true;
  return entries;
}

struct RunCase {
  const char* name;
  // As the installer's exit code tells it.
  ExitCode result;
  bool offline;
  const char* version_variant;
  const char* package_variant;
  std::vector<ZipEntrySpec> package;
  // Below a file of the same name instead of a directory, so that nothing can be written there.
  bool install_dir_blocked;
  // Without the download's reports.
  std::vector<std::wstring> expected;
  // How often the download starts, and the last progress value of each attempt.
  int download_attempts;
  int download_end;
  // The size the version reply announces instead of the package's own, in bytes.
  const char* release_size = nullptr;
};

void PrintTo(const RunCase& c, std::ostream* out) { *out << c.name; }

class InstallRunTest : public testing::TestWithParam<RunCase> {
 protected:
  // The log goes to a folder of this test's own, so that no other installer's log is in the way;
  // it stays there after the run for a look at a failure. It is opened once per process, by
  // whichever suite of this fixture runs first.
  static void SetUpTestSuite() {
    if (log_path_.empty()) log_path_ = OpenOwnSetupLog(L"install_app_test");
  }

  void SetUp() override {
    ASSERT_FALSE(temp_.path().empty());
    ASSERT_TRUE(services::Reset()) << "the local services are not running";
  }

  void TearDown() override {
    _putenv("BOKRIN_TEST_NETWORK_CONNECTED=");
    // What the installation recorded, so that other tests start from a clean registry.
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kProductKey);
    RegDeleteTreeW(HKEY_CURRENT_USER, kProductKey);
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Classes\\Applications\\Bokrin.exe");
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Bokrin");
    for (const int folder_id : {CSIDL_DESKTOPDIRECTORY, CSIDL_PROGRAMS}) {
      wchar_t folder[MAX_PATH] = {};
      if (SHGetSpecialFolderPathW(nullptr, folder, folder_id, FALSE)) {
        DeleteFileW((std::wstring(folder) + kLinkName).c_str());
      }
    }
  }

  // Announces `entries` as the release, as the package host serves it.
  void Serve(const std::vector<ZipEntrySpec>& entries) {
    served_ = BuildZip(entries);
    ASSERT_TRUE(WriteFileBytes(services::StateDir() + "\\packages\\Bokrin.zip", served_));
    ASSERT_TRUE(services::Control("POST", "/release?name=Bokrin.zip&version_no=1.13.6"));
  }

  // Runs one installation; the lines it reported and the log lines it added.
  void Install(const std::wstring& install_dir) {
    RecordingObserver observer;
    InstallReportingTo(observer, install_dir);
  }

  void InstallReportingTo(RecordingObserver& observer, const std::wstring& install_dir) {
    const size_t log_before = ReadFileBytes(log_path_).size();
    InstallApp app(observer, install_dir, temp_.path() + L"Books\\");
    stop_ = app.StopHandle();
    app.Run();
    lines_ = observer.lines();
    result_ = observer.result();
    log_ = ReadFileBytes(log_path_).substr(log_before);
  }

  static std::wstring log_path_;
  ScopedTempDir temp_;
  // The stop request of the installation that runs.
  std::shared_ptr<StopRequest> stop_;
  std::string served_;
  std::vector<std::wstring> lines_;
  int result_ = -1;
  std::string log_;
};

std::wstring InstallRunTest::log_path_;

std::wstring JoinedLines(const std::vector<std::wstring>& lines) {
  std::wstring text;
  for (const std::wstring& line : lines) text += line + L"\n";
  return text;
}

TEST_P(InstallRunTest, ReportsItsStepsAndLogsEachError) {
  const RunCase& c = GetParam();
  // Stated either way: the test's namespace may have no route out, which the system reports.
  _putenv(c.offline ? "BOKRIN_TEST_NETWORK_CONNECTED=0" : "BOKRIN_TEST_NETWORK_CONNECTED=1");
  ASSERT_TRUE(services::SetMode("version", c.version_variant));
  ASSERT_TRUE(services::SetMode("package", c.package_variant));
  Serve(c.package);
  if (c.release_size != nullptr) {
    ASSERT_TRUE(services::Control("POST", std::string("/release?size=") + c.release_size));
  }
  std::wstring install_dir = temp_.path() + L"Bokrin\\";
  if (c.install_dir_blocked) {
    ASSERT_TRUE(WriteFileBytes(temp_.path() + L"Bokrin", "a file, not a folder"));
    install_dir += L"Bokrin\\";
  }

  Install(install_dir);
  const std::string shown = WideToCodePage(CP_UTF8, JoinedLines(lines_));

  std::vector<std::wstring> expected = c.expected;
  for (std::wstring& line : expected) {
    const size_t at = line.find(kInstallDirMark);
    if (at != std::wstring::npos) line.replace(at, std::wcslen(kInstallDirMark), install_dir);
  }
  EXPECT_EQ(WithoutDownloadReports(lines_), expected) << shown;
  EXPECT_EQ(result_, static_cast<int>(c.result));
  EXPECT_NE(log_.find("Installation result: exit code " + std::to_string(static_cast<int>(c.result))),
            std::string::npos) << log_;

  // The download's reports: each value followed by the amounts so far, the values rising; a
  // later attempt goes on from the value shown, never back (a fall would count as another run).
  const std::vector<std::wstring> download = DownloadReports(lines_);
  std::vector<int> attempt_ends;
  for (size_t i = 0; i < download.size(); i += 2) {
    const int value = ProgressValue(download[i]);
    ASSERT_GT(value, 0) << shown;
    ASSERT_LT(i + 1, download.size()) << shown;
    EXPECT_TRUE(StartsWith(download[i + 1], kDownloadStatus)) << shown;
    if (attempt_ends.empty() || value <= attempt_ends.back()) {
      attempt_ends.push_back(value);
    } else {
      attempt_ends.back() = value;
    }
  }
  EXPECT_EQ(attempt_ends, std::vector<int>(c.download_attempts, c.download_end)) << shown;
  if (std::string(c.package_variant) == "ok" && c.download_end == 799) {
    EXPECT_GE(download.size(), 4u) << "a body of several reads\n" << shown;
    const std::wstring total = Megabytes(served_.size());
    EXPECT_EQ(download.back(), kDownloadStatus + (L"已下载：" + total + L" MB 共：" + total + L" MB)"));
  }

  // Every error that was shown is in the log with its mode, once.
  size_t errors = 0;
  for (const std::wstring& line : lines_) {
    if (!StartsWith(line, L"ERROR ")) continue;
    ++errors;
    const std::string logged = "Error shown, mode " + WideToCodePage(CP_UTF8, line.substr(6, 1)) + ": " +
                               WideToCodePage(CP_UTF8, line.substr(8)) + "\r\n";
    EXPECT_NE(log_.find(logged), std::string::npos) << logged << "\nnot in\n" << log_;
  }
  size_t logged_errors = 0;
  for (size_t at = 0; (at = log_.find("Error shown, mode ", at)) != std::string::npos; ++at) ++logged_errors;
  EXPECT_EQ(logged_errors, errors) << log_;
}

const RunCase kRunCases[] = {
    {"Success", ExitCode::kInstalled, false, "ok", "ok", kRelease, false,
     Joined({kFirstSteps, kBeforeDownload, kAfterDownload, ExtractionSteps(3),
             {L"PROGRESS 970", L"STATUS 正在安装，请稍候...", L"PROGRESS 980", L"PROGRESS 1000", L"STATUS 安装完成",
              L"FINISHED"}}),
     1, 799},
    {"NoNetwork", ExitCode::kServiceFailed, true, "ok", "ok", kRelease, false,
     {L"STATUS 获取安装包，请稍候...", L"PROGRESS 20", L"ERROR 2 当前无网络，请检查网络连接！"}, 0, 0},
    {"ServiceReportsAnError", ExitCode::kServiceFailed, false, "error-code", "ok", kRelease, false,
     Joined({kFirstSteps,
             {L"ERROR 2 连接失败,请检查Host或重新连接网络后重试！", L"STATUS 连接失败！请检查Host或重新连接网络后重试！"}}),
     0, 0},
    {"ServiceNamesNoPackage", ExitCode::kServiceFailed, false, "no-url", "ok", kRelease, false,
     Joined({kFirstSteps, {L"ERROR 2 下载出错啦，请检查网络后重新下载！"}}), 0, 0},
    {"ServiceDoesNotAnswer", ExitCode::kServiceFailed, false, "close", "ok", kRelease, false,
     Joined({kFirstSteps, {L"ERROR 2 下载出错啦，请检查网络后重新下载！"}}), 0, 0},
    // Half the body, on the direct attempt and on the retry through HTTP DNS (which gets the
    // whole file again, since this server ignores ranges): the installing page stays, and its
    // progress stops at half once.
    {"DownloadCutShort", ExitCode::kDownloadFailed, false, "ok", "cut-short", kRelease, false,
     Joined({kFirstSteps, kBeforeDownload, {L"ERROR 0 下载失败，请检查网络后重新下载"}}), 1, 449},
    // Sizes that no disk holds, stated by the package host or, without a Content-Length, by the
    // version reply: refused before the body, and not retried.
    {"PackageLargerThanTheFreeSpace", ExitCode::kDownloadFailed, false, "ok", "huge-length", kRelease, false,
     Joined({kFirstSteps, kBeforeDownload, {kNoRoomError}}), 0, 0},
    {"UnsizedPackageLargerThanTheFreeSpace", ExitCode::kDownloadFailed, false, "ok", "no-length", kRelease, false,
     Joined({kFirstSteps, kBeforeDownload, {kNoRoomError}}), 0, 0, "1125899906842624"},
    // A page of the package host instead of the package is first noticed by the extraction.
    {"PackageNotFound", ExitCode::kPackageRefused, false, "ok", "not-found", kRelease, false,
     Joined({kFirstSteps, kBeforeDownload, kAfterDownload, kPackageUnreadable}), 1, 799},
    {"DamagedPackage", ExitCode::kPackageRefused, false, "ok", "ok", DamagedRelease(), false,
     Joined({kFirstSteps, kBeforeDownload, kAfterDownload, kPackageUnreadable}), 1, 799},
    // The first file that cannot be written, named in front of the message, makes the wizard quit.
    {"UnwritableInstallDirectory", ExitCode::kInstallDirUnwritable, false, "ok", "ok", kRelease, true,
     Joined({kFirstSteps, kBeforeDownload, kAfterDownload,
             {L"STATUS <install>Bokrin.exe文件替换失败，请退出Bokrin阅读客户端后再试！",
              L"ERROR 4 请退出“Bokrin阅读”后重新安装"}}),
     1, 799},
};

// An install folder not given in full would be taken relative to the current folder: the
// engine refuses it before it asks the services anything or writes anything.
class InstallFolderRunTest : public InstallRunTest {};

TEST_F(InstallFolderRunTest, AnInstallFolderNotGivenInFullIsRefusedFirst) {
  _putenv("BOKRIN_TEST_NETWORK_CONNECTED=1");
  Serve(kRelease);
  ASSERT_TRUE(services::Reset());
  for (const wchar_t* folder : {L"Bokrin\\", L"\\Apps\\Bokrin\\", L"C:Bokrin\\", L"."}) {
    SCOPED_TRACE(WideToCodePage(CP_UTF8, folder));
    Install(folder);
    EXPECT_EQ(lines_, std::vector<std::wstring>{L"ERROR 0 解压路径出错啦"});
    EXPECT_EQ(result_, static_cast<int>(ExitCode::kBadCommandLine));
    EXPECT_NE(log_.find("Install directory refused: not a full path"), std::string::npos) << log_;
    EXPECT_EQ(services::HttpsConnections(), 0);
    EXPECT_FALSE(PathExists(L"Bokrin", true));
  }
}

// A package place that cannot be used, a folder planted as the package or an earlier package
// that another program holds open, does not stop the installation: the package goes to a fresh
// name beside it, and that name is recorded.
class PackagePlaceRunTest : public InstallRunTest {};

TEST_F(PackagePlaceRunTest, AnUnusablePackagePlaceDoesNotBlockTheInstallation) {
  _putenv("BOKRIN_TEST_NETWORK_CONNECTED=1");
  Serve(kRelease);
  const std::wstring wanted = PackageTempDir() + L"Bokrin.zip";
  const std::wstring fresh = PackageTempDir() + L"Bokrin-1.zip";
  for (const bool planted_folder : {true, false}) {
    SCOPED_TRACE(planted_folder ? "a folder" : "a held file");
    // Either may be left in the prefix by a run that ended early.
    RemoveDirectoryW(wanted.c_str());
    DeleteFileW(wanted.c_str());
    ScopedHandle holder;
    if (planted_folder) {
      ASSERT_TRUE(CreateDirectoryW(wanted.c_str(), nullptr));
    } else {
      ASSERT_TRUE(WriteFileBytes(wanted, "an earlier package"));
      holder.Reset(CreateFileW(wanted.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
      ASSERT_TRUE(holder);
    }

    Install(temp_.path() + L"Bokrin\\");
    ASSERT_FALSE(lines_.empty());
    EXPECT_EQ(lines_.back(), L"FINISHED") << WideToCodePage(CP_UTF8, JoinedLines(lines_));
    const ScopedRegKey key = RegOpenOrCreateKey(HKEY_LOCAL_MACHINE, kProductKey);
    EXPECT_EQ(RegReadString(key.Get(), kPackagePathValue, REG_SZ), fresh);
    EXPECT_TRUE(ReadFileBytes(fresh) == served_);
    if (planted_folder) {
      EXPECT_TRUE(PathExists(wanted, true));
      RemoveDirectoryW(wanted.c_str());
    } else {
      EXPECT_EQ(ReadFileBytes(wanted), "an earlier package");
    }
  }
  DeleteFileW(fresh.c_str());
}

// The user confirms the cancel at the report `when`: the engine ends without another word, and
// the previous release (if any) is as it was.
class CancelRunTest : public InstallRunTest {
 protected:
  // Asks for the stop on the engine's thread, as soon as the line is reported.
  class CancellingObserver : public RecordingObserver {
   public:
    CancellingObserver(CancelRunTest* test, std::function<bool(const std::wstring&)> when)
        : test_(test), when_(std::move(when)) {}
    bool cancelled() const { return cancelled_; }
    bool waited() const { return waited_; }

   protected:
    void OnLine(const std::wstring& line) override {
      RecordingObserver::OnLine(line);
      if (cancelled_ || !when_(line)) return;
      cancelled_ = true;
      waited_ = test_->stop_->Request();
    }

   private:
    CancelRunTest* test_;
    std::function<bool(const std::wstring&)> when_;
    bool cancelled_ = false;
    bool waited_ = false;
  };
};

TEST_F(CancelRunTest, ACancelEndsTheInstallationWithNothingOfItLeft) {
  _putenv("BOKRIN_TEST_NETWORK_CONNECTED=1");
  struct Case {
    const char* what;
    std::function<bool(const std::wstring&)> when;
    bool writing;  // whoever cancels must wait for the engine
    const char* logged;
  };
  const Case cases[] = {
      {"during the download",
       [](const std::wstring& line) {
         const int value = ProgressValue(line);
         return value > 100 && value < 400;
       },
       false, "Download stopped with "},
      {"during the extraction", [](const std::wstring& line) { return line == L"PROGRESS 802"; }, true,
       "Extraction stopped before entry 2: the installation is cancelled"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    // A large body, so that the download is still running when the stop comes.
    Serve({{"Bokrin.exe", "MZ stand-in"}, {"data/", ""}, {"data/noise.bin", NoiseBytes(8 * kMiB)}});
    const std::wstring install_dir = temp_.path() + L"Bokrin\\";
    ASSERT_TRUE(CreateDirectoryW(install_dir.c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(install_dir + L"Bokrin.exe", "previous client"));

    CancellingObserver observer(this, c.when);
    InstallReportingTo(observer, install_dir);
    const std::string shown = WideToCodePage(CP_UTF8, JoinedLines(lines_));
    ASSERT_TRUE(observer.cancelled()) << shown;
    EXPECT_EQ(observer.waited(), c.writing);
    EXPECT_EQ(result_, static_cast<int>(ExitCode::kCancelled));
    for (const std::wstring& line : lines_) {
      EXPECT_FALSE(StartsWith(line, L"ERROR ") || line == L"FINISHED") << shown;
    }
    EXPECT_NE(log_.find(c.logged), std::string::npos) << log_;
    EXPECT_NE(log_.find("Installation cancelled"), std::string::npos) << log_;
    EXPECT_EQ(ReadFileBytes(install_dir + L"Bokrin.exe"), "previous client");
    EXPECT_FALSE(PathExists(install_dir + L"data", false));
    EXPECT_FALSE(PathExists(RollbackJournalPath(), false));
    DeleteTree(install_dir);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, InstallRunTest, testing::ValuesIn(kRunCases),
                         [](const testing::TestParamInfo<RunCase>& info) { return std::string(info.param.name); });

}  // namespace
