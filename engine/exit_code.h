#pragma once
// How a run of the installer ended, as its exit code tells whoever started it (a deployment
// script, for one). The same codes serve a silent and an interactive run; an installation's
// own outcome is one of the first six.
enum class ExitCode : int {
  kInstalled = 0,              // the installation of this run finished
  kCancelled = 1,              // by the user, or the wizard closed before an installation finished
  kServiceFailed = 2,          // no network, or the version service failed or named no package
  kDownloadFailed = 3,         // the package did not arrive, or does not fit where it goes
  kPackageRefused = 4,         // the package is damaged or was refused
  kInstallDirUnwritable = 5,   // access, space, a file in use
  kSystemTooOld = 6,
  kBadCommandLine = 7,         // or a bad directory
  kAnotherInstaller = 8,
  kClientNotStarted = 9,
};
