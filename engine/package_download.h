#pragma once
// Fetching the release package into the package file, with progress to the wizard.
#include <string>

class InstallApp;

// `url` and `package_path` are in the ANSI code page. Streams the body into the file,
// reporting through engine->OnDownloadProgress, and retries once through an HTTP DNS address.
// True when a body was received into the file.
bool DownloadPackage(InstallApp* engine, std::string url, std::string package_path);
