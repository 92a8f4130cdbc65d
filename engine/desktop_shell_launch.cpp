#include "engine/desktop_shell_launch.h"

#include <windows.h>
#include <exdisp.h>
#include <servprov.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>

#include "common/scoped_com.h"
#include "common/scoped_handle.h"
#include "common/setup_log.h"
#include "common/system_failure.h"

namespace {

const wchar_t kWhere[] = L"Launch";

// Whether a step of the walk to the desktop's shell gave its object. Some shells answer a
// lookup they cannot serve with a success and no object (FindWindowSW's S_FALSE).
template <class Interface>
bool Reached(HRESULT result, const ComPtr<Interface>& object, const wchar_t* step) {
  if (!ComSucceeded(result, kWhere, L"desktop shell: %ls failed", step)) return false;
  if (object.Get() != nullptr) return true;
  SetupLog(L"%ls: desktop shell: %ls gave nothing (HRESULT 0x%08lX)", kWhere, step,
           static_cast<unsigned long>(result));
  return false;
}

// The automation object of the shell that runs the desktop, reached through the desktop's own
// folder view; null when some step fails.
ComPtr<IShellDispatch2> DesktopShellDispatch() {
  ComPtr<IShellWindows> shell_windows;
  if (!Reached(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_PPV_ARGS(&shell_windows)),
               shell_windows, L"the shell's window list")) {
    return nullptr;
  }
  ScopedVariant desktop_folder(static_cast<LONG>(CSIDL_DESKTOP));
  ScopedVariant no_root;
  LONG desktop_window = 0;
  ComPtr<IDispatch> desktop;
  if (!Reached(shell_windows->FindWindowSW(desktop_folder.Pointer(), no_root.Pointer(), SWC_DESKTOP, &desktop_window,
                                           SWFO_NEEDDISPATCH, &desktop),
               desktop, L"the desktop's window")) {
    return nullptr;
  }
  ComPtr<IServiceProvider> services;
  ComPtr<IShellBrowser> browser;
  if (!Reached(desktop.As(&services), services, L"the desktop window's services") ||
      !Reached(services->QueryService(SID_STopLevelBrowser, IID_PPV_ARGS(&browser)), browser,
               L"the desktop's browser")) {
    return nullptr;
  }
  ComPtr<IShellView> view;
  ComPtr<IDispatch> background;
  ComPtr<IShellFolderViewDual> folder_view;
  if (!Reached(browser->QueryActiveShellView(&view), view, L"the desktop's view") ||
      !Reached(view->GetItemObject(SVGIO_BACKGROUND, IID_PPV_ARGS(&background)), background,
               L"the view's background") ||
      !Reached(background.As(&folder_view), folder_view, L"the view's automation")) {
    return nullptr;
  }
  ComPtr<IDispatch> application;
  ComPtr<IShellDispatch2> shell;
  if (!Reached(folder_view->get_Application(&application), application, L"the shell's application") ||
      !Reached(application.As(&shell), shell, L"the shell's start")) {
    return nullptr;
  }
  return shell;
}

}  // namespace

bool StartThroughDesktopShell(const ShellStartRequest& request) {
  // Declared first, so that every COM pointer below is released before COM is uninitialised.
  const ScopedComApartment com;
  if (!com.Usable()) {
    LogSystemFailure(kWhere, SystemCode::Hresult(com.result()), L"desktop shell: COM cannot be initialised");
    return false;
  }
  const ComPtr<IShellDispatch2> shell = DesktopShellDispatch();
  if (!shell) return false;
  const ScopedBstr file(SysAllocString(request.file.c_str()));
  const ScopedVariant parameters(request.parameters.c_str());
  const ScopedVariant no_directory;
  const ScopedVariant verb(L"open");
  const ScopedVariant show(static_cast<LONG>(request.show));
  if (!file || !parameters.Holds(VT_BSTR) || !verb.Holds(VT_BSTR)) {
    SetupLog(L"%ls: desktop shell: no memory for the start's texts", kWhere);
    return false;
  }
  const HRESULT started = shell->ShellExecute(file.Get(), parameters.Get(), no_directory.Get(), verb.Get(), show.Get());
  // S_FALSE: the shell took the call, but its own start failed.
  if (started == S_FALSE) {
    SetupLog(L"%ls: desktop shell: it could not start %ls", kWhere, request.file.c_str());
    return false;
  }
  return ComSucceeded(started, kWhere, L"desktop shell: the start of %ls failed", request.file.c_str());
}
