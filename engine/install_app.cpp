#include "engine/install_app.h"

#include <windows.h>
#include <shlobj.h>

#include <memory>
#include <string>
#include <utility>

#include "common/network_state.h"
#include "common/paths.h"
#include "common/processes.h"
#include "common/product_names.h"
#include "common/setup_log.h"
#include "common/system_failure.h"
#include "common/text_convert.h"
#include "engine/client_launch.h"
#include "engine/install_locations.h"
#include "engine/package_download.h"
#include "engine/package_extraction.h"
#include "engine/progress_milestones.h"
#include "engine/registration_texts.h"
#include "engine/system_registration.h"
#include "engine/version_query.h"
#include "engine/window_install_observer.h"
#include "httpport/client/http_port.h"
#include "httpport/client/windowsfirewallhelper.h"

namespace {

std::wstring ToWide(const String16& text) { return std::wstring(text.CStr(), text.Length()); }

std::string ToAnsi(const std::wstring& text) {
  std::string ansi;
  WideToAnsi(text, ansi);
  return ansi;
}

void CreateLink(int folder_id, const std::wstring& client_exe) {
  wchar_t folder[MAX_PATH] = {};
  if (!SHGetSpecialFolderPathW(nullptr, folder, folder_id, TRUE)) {
    SetupLog(L"Registration: shell folder %d unknown, no shortcut there", folder_id);
    return;
  }
  const std::wstring link = std::wstring(folder) + kLinkName;
  if (PathExists(link, false) && !ForceDeleteFile(link.c_str())) {
    LogSystemFailure(L"Registration", LastError(), L"old shortcut %ls not deleted", link.c_str());
  }
  // A shortcut that is not saved has logged why.
  if (CreateShortcut(client_exe.c_str(), L"", link.c_str(), client_exe.c_str())) {
    SetupLog(L"Registration: shortcut %ls saved", link.c_str());
  }
}

}  // namespace

InstallApp::InstallApp(HWND hWnd, const std::wstring& install_path, const std::wstring& book_path)
    : m_strInstallPath(install_path),
      m_strBookPath(book_path),
      m_hWnd(hWnd),
      m_windowObserver(std::make_unique<WindowInstallObserver>(hWnd)),
      m_observer(*m_windowObserver) {}

InstallApp::InstallApp(InstallObserver& observer, const std::wstring& install_path, const std::wstring& book_path)
    : m_strInstallPath(install_path), m_strBookPath(book_path), m_hWnd(nullptr), m_observer(observer) {}

void InstallApp::Run() { m_observer.OnResult(Install()); }

ExitCode InstallApp::Install() {
  // Keeps the socket layer up for the address lookups of the signing and the HTTP DNS retry.
  CHttpPort socket_layer;

  SetupLog(L"Installation started: install directory \"%ls\", book directory \"%ls\"",
           m_strInstallPath.c_str(), m_strBookPath.c_str());
  // A folder not given in full would land relative to this elevated process's current folder.
  // The wizard never passes one (the customise page refuses it); a command line may, and is
  // refused before anything is asked or written. Empty means the default folder.
  if (!m_strInstallPath.empty() && !IsFullDirectoryPath(m_strInstallPath)) {
    SetupLog(L"Install directory refused: not a full path");
    m_observer.OnError(ErrorMode::kStay, L"解压路径出错啦");
    return ExitCode::kBadCommandLine;
  }
  m_observer.OnStatus(L"获取安装包，请稍候...");
  m_observer.OnProgress(kProgressStarted);
  if (!IsNetworkConnected()) {
    SetupLog(L"Network check: the system reports no connection");
    m_observer.OnError(ErrorMode::kBackToStart, L"当前无网络，请检查网络连接！");
    return ExitCode::kServiceFailed;
  }

  m_observer.OnStatus(L"正在访问链接，请稍候...");
  ReleaseInfo release;
  QueryStatus query_status;
  SetupLog(L"Version query started");
  QueryLatestVersion(&release, &query_status);
  SetupLog(L"Version query returned: status code %ld, message \"%ls\"", static_cast<long>(query_status.code),
           ToWide(query_status.message).c_str());
  SetupLog(L"Release: version \"%ls\", URL \"%ls\"", ToWide(release.versionNo).c_str(),
           ToWide(release.url).c_str());
  m_observer.OnStatus(L"链接返回，请稍候...");
  m_observer.OnProgress(kProgressVersionQueried);
  if (query_status.code != 0) {
    m_observer.OnError(ErrorMode::kBackToStart, L"连接失败,请检查Host或重新连接网络后重试！");
    m_observer.OnStatus(L"连接失败！请检查Host或重新连接网络后重试！");
    return ExitCode::kServiceFailed;
  }
  if (release.url.IsEmpty()) {
    m_observer.OnError(ErrorMode::kBackToStart, L"下载出错啦，请检查网络后重新下载！");
    return ExitCode::kServiceFailed;
  }

  std::wstring install_dir = m_strInstallPath;
  DefaultInstallDir(m_strInstallPath.empty(), install_dir);
  // An empty directory stays empty, so that it is refused below instead of becoming the root.
  if (!install_dir.empty() && !EndsWithSeparator(install_dir)) install_dir += L'\\';

  if (m_strBookPath.empty()) m_strBookPath = DefaultBookDir();
  if (CompleteBookDirText(m_strBookPath)) CreateDirectoryTree(m_strBookPath.c_str());
  SetupLog(L"Locations: install directory \"%ls\", book directory \"%ls\"", install_dir.c_str(),
           m_strBookPath.c_str());
  WriteLocationValues(install_dir, m_strBookPath);
  m_observer.OnProgress(kProgressDirectoriesRecorded);

  m_strPackagePath = PackageTempDir() + L"Bokrin.zip";
  m_observer.OnStatus(L"正在下载，请稍候...");
  if (m_strPackagePath.find(L".zip") == std::wstring::npos) {
    m_observer.OnError(ErrorMode::kStay, L"下路径出错！");
    return ExitCode::kDownloadFailed;
  }
  SetupLog(L"Download started into %ls", m_strPackagePath.c_str());
  Md5Digest package_digest = {};
  const DownloadOutcome downloaded = DownloadPackage(this, ToAnsi(ToWide(release.url)), ToAnsi(m_strPackagePath),
                                                     release.size, &m_strPackagePath, &package_digest);
  if (downloaded == DownloadOutcome::kStopped) {
    SetupLog(L"Installation cancelled");
    return ExitCode::kCancelled;
  }
  if (downloaded == DownloadOutcome::kNoRoom) {
    SetupLog(L"Download refused: the package does not fit on its volume");
    m_observer.OnError(ErrorMode::kStay, L"临时文件夹所在磁盘空间不足，请清理磁盘后重试！");
    return ExitCode::kDownloadFailed;
  }
  if (downloaded != DownloadOutcome::kReceived) {
    SetupLog(L"Download failed");
    m_observer.OnError(ErrorMode::kStay, L"下载失败，请检查网络后重新下载");
    return ExitCode::kDownloadFailed;
  }
  SetupLog(L"Download finished");
  WritePackagePathValue(m_strPackagePath);
  m_observer.OnProgress(kProgressDownloaded);

  const std::wstring client_exe = ClientExePath(install_dir);
  m_observer.OnStatus(L"正在解压，请稍候...");
  if (install_dir.empty()) {
    m_observer.OnError(ErrorMode::kStay, L"解压路径出错啦");
    return ExitCode::kBadCommandLine;
  }
  // Nothing is touched once the installation is cancelled, not even a running client.
  if (!m_stop->BeginWriting()) {
    SetupLog(L"Installation cancelled");
    return ExitCode::kCancelled;
  }
  // A client still running from here would hold files that the extraction replaces.
  KillProcessesByPath(client_exe);
  SetupLog(L"Extraction started into %ls", install_dir.c_str());
  const ExitCode extracted = ExtractPackage(this, m_strPackagePath, install_dir, package_digest);
  if (extracted != ExitCode::kInstalled) {
    m_stop->EndWriting();
    SetupLog(extracted == ExitCode::kCancelled ? L"Installation cancelled" : L"Extraction failed");
    return extracted;
  }
  SetupLog(L"Extraction finished");
  m_observer.OnProgress(kProgressExtracted);
  m_observer.OnStatus(L"正在安装，请稍候...");

  SetupLog(L"Registration started");
  CreateLink(CSIDL_DESKTOPDIRECTORY, client_exe);
  CreateLink(CSIDL_PROGRAMS, client_exe);
  const wchar_t* const old_rules[] = {L"Bokrin阅读", L"Bokrin", L"Bokrin.exe"};
  if (!RemoveFirewallRules(old_rules, 3)) SetupLog(L"Registration: old firewall rules not all removed");
  AddFirewallRule(L"Bokrin-I", client_exe.c_str(), true);
  AddFirewallRule(L"Bokrin-O", client_exe.c_str(), false);
  m_observer.OnProgress(kProgressLinksAndFirewallDone);

  RegisterOpenCommand(install_dir);
  WriteUninstallEntry(install_dir, ToWide(release.versionNo));
  SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_FLUSH, nullptr, nullptr);
  SetupLog(L"Registration finished");
  // From here on the new client stays, whatever happens to this process.
  m_journal.Commit();
  m_stop->EndWriting();

  SetupLog(L"Installation finished");
  m_observer.OnProgress(kProgressFinished);
  m_observer.OnStatus(L"安装完成");
  m_observer.OnFinished();
  return ExitCode::kInstalled;
}

void InstallApp::OnDownloadProgress(int32_t status, uint32_t received, uint32_t total, int32_t error) {
  ReportDownloadProgress(Observer(), Shown(), status, received, total, error);
}

DownloadOutcome DownloadPackage(InstallApp* engine, std::string url, std::string package_path, int64_t release_size,
                                std::wstring* used_path, Md5Digest* digest) {
  return DownloadPackage(engine->Observer(), engine->Shown(), std::move(url), std::move(package_path), release_size,
                         used_path, digest, engine->Stop());
}

ExitCode ExtractPackage(InstallApp* engine, const std::wstring& package_path, const std::wstring& install_dir,
                    const Md5Digest& downloaded) {
  return ExtractPackage(engine->Observer(), package_path, install_dir, downloaded, engine->Journal(), engine->Stop());
}

unsigned __stdcall InstallThreadProc(void* install_app) {
  // The thread owns the engine: nobody else refers to it, so it goes when Run has returned.
  const std::unique_ptr<InstallApp> app(static_cast<InstallApp*>(install_app));
  app->Run();
  return 0;
}
