// The wizard with the shipped skin, driven by the messages the engine, the carousel thread and
// the user send it. The windows are real; the engine is not started (its messages are posted
// here instead, and a stand-in thread takes its place where a cancel waits for it), so nothing
// is installed.
#include <windows.h>
#include <process.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/progress_scale.h"
#include "common/scoped_handle.h"
#include "engine/install_messages.h"
#include "engine/stop_request.h"
#include "skinui/control/uibutton.h"
#include "skinui/control/uiedit.h"
#include "skinui/control/uilabel.h"
#include "skinui/core/rect_convert.h"
#include "skinui/core/skin_markup.h"
#include "skinui/core/skin_resources.h"
#include "skinui/layout/uicontainer.h"
#include "skinui/testing/accessible_walk.h"
#include "wizard/err_tip_wnd.h"
#include "wizard/install_guide_wnd.h"
#include "wizard/install_page.h"
#include "wizard/progress_badge.h"
#include "wizard/skin_elements.h"
#include "wizard/wizard_messages.h"
#include "wizard/wizard_pages.h"

namespace {

using SkinUI::CControlUI;
using SkinUI::CTabLayoutUI;

class ShippedSkin : public testing::Environment {
 public:
  void SetUp() override {
    std::ifstream file(BOKRIN_SKIN_ARCHIVE, std::ios::binary);
    archive_.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    ASSERT_FALSE(archive_.empty()) << "no skin archive at " << BOKRIN_SKIN_ARCHIVE;
    SkinUI::CSkinManagerUI::SetInstance(GetModuleHandleW(nullptr));
    SkinUI::CSkinManagerUI::SetResourceZip(archive_.data(), static_cast<unsigned>(archive_.size()), nullptr);
  }

 private:
  std::string archive_;
};
const testing::Environment* const kSkin = testing::AddGlobalTestEnvironment(new ShippedSkin);

// Runs the window messages of this thread for `ms` milliseconds, or until `done` holds.
template <class Done>
bool PumpUntil(Done done, DWORD ms) {
  const DWORD start = GetTickCount();
  MSG msg{};
  while (!done()) {
    if (GetTickCount() - start > ms) return false;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));
        return done();
      }
      if (!SkinUI::CSkinManagerUI::TranslateMessage(&msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
  return true;
}

bool QuitPosted() {
  MSG msg{};
  return PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
}

// The text of the open message box.
std::wstring OpenBoxText() {
  auto* text = static_cast<SkinUI::CLabelUI*>(GetErrTipWnd()->GetManager().FindControl(L"lab_TextContent"));
  return text != nullptr ? text->GetText() : L"";
}

// The text of the open message box, answered with `answer` (a message to its window); empty
// when no box came.
std::wstring AnswerBox(UINT message, WPARAM wParam) {
  HWND box = FindWindowW(L"ErrTip", nullptr);
  if (box == nullptr) return {};
  const std::wstring shown = OpenBoxText();
  PostMessageW(box, message, wParam, 0);
  return shown;
}

// Answers the next message box with `message` from a timer, since the box runs a modal loop
// of its own; then WaitForAnsweredBox gives the text that box showed.
struct BoxAnswerer {
  static UINT message;
  static WPARAM wParam;
  static std::wstring shown;
};
UINT BoxAnswerer::message = 0;
WPARAM BoxAnswerer::wParam = 0;
std::wstring BoxAnswerer::shown;

VOID CALLBACK AnswerFromTimer(HWND, UINT, UINT_PTR id, DWORD) {
  BoxAnswerer::shown = AnswerBox(BoxAnswerer::message, BoxAnswerer::wParam);
  if (!BoxAnswerer::shown.empty()) KillTimer(nullptr, id);
}

void AnswerNextBox(UINT message, WPARAM wParam) {
  BoxAnswerer::message = message;
  BoxAnswerer::wParam = wParam;
  BoxAnswerer::shown.clear();
  SetTimer(nullptr, 0, 300, &AnswerFromTimer);
}

std::wstring WaitForAnsweredBox() {
  PumpUntil([] { return !BoxAnswerer::shown.empty(); }, 10000);
  return BoxAnswerer::shown;
}

// Stands in for the engine thread of an installation: it runs until the test lets it go. A
// writing one has begun to change the install directory, as the extraction does.
class StandInEngine {
 public:
  explicit StandInEngine(bool writing = true)
      : thread_(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &Run, this, 0, nullptr))) {
    if (writing) stop->BeginWriting();
  }
  ~StandInEngine() { End(); }
  StandInEngine(const StandInEngine&) = delete;
  StandInEngine& operator=(const StandInEngine&) = delete;

  // Lets the thread go and waits for it.
  void End() {
    SetEvent(release_.Get());
    WaitForSingleObject(thread_.Get(), 10000);
  }
  void Release() { SetEvent(release_.Get()); }
  bool Ended() const { return WaitForSingleObject(thread_.Get(), 0) == WAIT_OBJECT_0; }
  // What the wizard keeps of it: the stop request and a handle of its own to the thread.
  void HandTo(InstallGuideWnd* wizard) const {
    HANDLE copy = nullptr;
    DuplicateHandle(GetCurrentProcess(), thread_.Get(), GetCurrentProcess(), &copy, 0, FALSE, DUPLICATE_SAME_ACCESS);
    wizard->TrackInstallation(stop, ScopedHandle(copy));
  }

  const std::shared_ptr<StopRequest> stop = std::make_shared<StopRequest>();

 private:
  static unsigned __stdcall Run(void* self) {
    WaitForSingleObject(static_cast<StandInEngine*>(self)->release_.Get(), 20000);
    return 0;
  }

  ScopedHandle release_{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  ScopedHandle thread_;
};

class WizardTest : public testing::Test {
 protected:
  void SetUp() override {
    QuitPosted();
    wizard_ = ShowInstallGuideWnd(nullptr);
    ASSERT_NE(wizard_, nullptr);
    window_ = wizard_->GetHWND();
    ASSERT_NE(window_, nullptr);
    UpdateWindow(window_);
    tab_ = static_cast<CTabLayoutUI*>(wizard_->GetManager().FindControl(kWizardTabName));
    ASSERT_NE(tab_, nullptr);
  }
  void TearDown() override {
    if (IsWindow(window_)) DestroyWindow(window_);
    QuitPosted();
  }

  CControlUI* Find(const wchar_t* name) { return wizard_->GetManager().FindControl(name); }
  void Post(UINT message, WPARAM wParam, LPARAM lParam) {
    PostMessageW(window_, message, wParam, lParam);
    PumpUntil([] { return false; }, 50);
  }
  // Shows the installing page without starting an installation.
  void ShowInstallingPage() {
    tab_->SelectItem(kPageInstalling);
    UpdateWindow(window_);
  }

  InstallGuideWnd* wizard_ = nullptr;
  HWND window_ = nullptr;
  CTabLayoutUI* tab_ = nullptr;
};

TEST_F(WizardTest, StartsOnTheFirstOfFourPages) {
  EXPECT_EQ(tab_->GetCount(), 4);
  EXPECT_EQ(tab_->GetCurSel(), kPageStart);
  EXPECT_NE(GetPropW(window_, L"BokrinInstall"), nullptr);
  for (const wchar_t* name : {L"btn_InstallFast", L"btn_CustomizeInstall", L"edit_InstallPath", L"slider_process",
                              L"lab_percent", L"hor_Pos", L"btn_BeginToRead", L"Hor_move"}) {
    EXPECT_NE(Find(name), nullptr) << std::string(name, name + wcslen(name));
  }
}

TEST(WizardPagesTest, RowsFollowTheTabOrderOfTheShippedSkin) {
  const SkinUI::SkinReadResult file = SkinUI::SkinResources::Process().ReadSkinXml(L"install.xml");
  ASSERT_TRUE(file.Succeeded()) << SkinUI::SkinReadErrorText(file.error);
  SkinUI::CSkinMarkup markup;
  ASSERT_TRUE(markup.Load(file.bytes.data(), file.bytes.size())) << markup.ErrorText();
  const SkinUI::MarkupNode* tab = FindNamedElement(*markup.Root(), kWizardTabName);
  ASSERT_NE(tab, nullptr);
  ASSERT_EQ(tab->Children().size(), std::size(kWizardPages));
  for (size_t index = 0; index < tab->Children().size(); ++index) {
    const WString& element = tab->Children()[index].Name();
    EXPECT_TRUE(SkinUI::NameEquals(element, kWizardPages[index].element))
        << "page " << index << ": the skin has " << std::string(element.begin(), element.end());
  }
}

// The test button, hidden in the shipped skin and so clicked here by its notification, walks
// through every page and starts again at the first.
TEST_F(WizardTest, TestButtonCyclesThroughAllPages) {
  SkinUI::TNotifyUI click;
  click.type = L"click";
  click.sender = Find(L"btn_test");
  ASSERT_NE(click.sender, nullptr);
  for (int round = 0; round < 2; ++round) {
    for (int page = 0; page < kPageCount; ++page) {
      wizard_->Notify(click);
      EXPECT_EQ(tab_->GetCurSel(), page) << "round " << round;
    }
  }
}

TEST_F(WizardTest, ProgressMovesTheBadgeAndSetsThePercent) {
  ShowInstallingPage();
  const SkinUI::UiRect slider = SkinUI::ToUiRect(Find(L"slider_process")->GetPos());
  ASSERT_GT(slider.Width(), 0);
  const std::optional<SkinUI::UiSize> badge = InstallPageUI::BadgeSize();
  ASSERT_TRUE(badge.has_value());
  for (const int32_t value : {0, 995, kProgressScale}) {
    Post(WM_INSTALL_PROGRESS, 0, value);
    EXPECT_EQ(SkinUI::ToUiRect(Find(kBadgeBoxName)->GetPos()),
              ProgressBadgeRect(slider, value, *badge, wizard_->GetManager().GetDPI().Scaler()))
        << value;
    EXPECT_EQ(Find(L"lab_percent")->GetText(), ProgressPercentText(value)) << value;
  }
}

// What a screen reader reads on each page, as (role, name) of the children on the screen: the
// page's controls, then the title bar's.
std::vector<std::pair<std::wstring, std::wstring>> ShownChildren(HWND window,
                                                                  std::vector<SkinUI::AccessibleChildInfo>* all) {
  HRESULT result = S_OK;
  ComPtr<IAccessible> client = SkinUI::ClientAccessibleOf(window, &result);
  EXPECT_TRUE(SUCCEEDED(result) && client) << std::hex << result;
  std::vector<std::pair<std::wstring, std::wstring>> shown;
  if (!client || !SkinUI::ReadAccessibleChildren(client.Get(), all, &result)) return shown;
  for (const SkinUI::AccessibleChildInfo& child : *all) {
    if ((child.state & STATE_SYSTEM_INVISIBLE) == 0) shown.emplace_back(SkinUI::RoleText(child.role), child.name);
  }
  return shown;
}

TEST_F(WizardTest, EveryPageReadsAsItsNamedButtonsEditsAndTexts) {
  ScopedComApartment com;
  ASSERT_TRUE(com.Usable());
  const std::wstring button = L"ROLE_SYSTEM_PUSHBUTTON";
  const std::wstring text = L"ROLE_SYSTEM_STATICTEXT";
  const std::wstring edit = L"ROLE_SYSTEM_TEXT";
  const std::wstring graphic = L"ROLE_SYSTEM_GRAPHIC";
  const std::vector<std::pair<std::wstring, std::wstring>> title_bar = {
      {text, L"Bokrin阅读"}, {button, L"最小化"}, {button, L"关闭"}};
  std::vector<std::pair<std::wstring, std::wstring>> pages[kPageCount];
  pages[kPageStart] = {{button, L"快速安装"}, {button, L"自定义安装"}};
  // The custom page's unnamed one-pixel button beside the first path's label holds a place only.
  pages[kPageCustom] = {{graphic, L""},         {text, L"安装路径:"},
                        {edit, L"请输入或选择安装路径"}, {button, L"选择"}, {text, L"书籍文件存放路径:"},
                        {edit, L"请输入或选择书籍存放路径"}, {button, L"选择"}, {button, L"立即安装"}};
  pages[kPageInstalling] = {{text, L"正在安装，请稍候..."}, {text, L"0%"}, {L"ROLE_SYSTEM_PROGRESSBAR", L""}};
  pages[kPageFinished] = {{graphic, L""}, {text, L"安装完成"}, {button, L"开始阅读"}};
  for (int page = 0; page < kPageCount; ++page) {
    tab_->SelectItem(page);
    UpdateWindow(window_);
    std::vector<std::pair<std::wstring, std::wstring>> expected = pages[page];
    expected.insert(expected.end(), title_bar.begin(), title_bar.end());
    std::vector<SkinUI::AccessibleChildInfo> all;
    EXPECT_EQ(ShownChildren(window_, &all), expected) << "page " << page;
  }
}

TEST_F(WizardTest, TheProgressBarReadsAsThePercentShown) {
  ScopedComApartment com;
  ASSERT_TRUE(com.Usable());
  ShowInstallingPage();
  Post(WM_INSTALL_PROGRESS, 0, 427);
  std::vector<SkinUI::AccessibleChildInfo> all;
  ShownChildren(window_, &all);
  std::vector<std::wstring> values;
  for (const SkinUI::AccessibleChildInfo& child : all) {
    if (child.role == ROLE_SYSTEM_PROGRESSBAR) values.push_back(child.value);
  }
  EXPECT_EQ(values, std::vector<std::wstring>{L"42%"});
  EXPECT_EQ(Find(L"lab_percent")->GetText(), L"42%");
}

TEST_F(WizardTest, StatusTextsOfBothKindsReachTheStatusLine) {
  ShowInstallingPage();
  Post(WM_INSTALL_STATUS, kStatusWide, reinterpret_cast<LPARAM>(L"正在下载"));
  EXPECT_EQ(Find(L"lab_install_labtext")->GetText(), L"正在下载");
  // "正在解压" in code page 936, on the C heap as the engine sends it.
  const char gbk[] = "\xD5\xFD\xD4\xDA\xBD\xE2\xD1\xB9";
  char* text = static_cast<char*>(std::malloc(sizeof(gbk)));
  std::memcpy(text, gbk, sizeof(gbk));
  Post(WM_INSTALL_STATUS, kStatusNarrow936, reinterpret_cast<LPARAM>(text));
  EXPECT_EQ(Find(L"lab_install_labtext")->GetText(), L"正在解压");
  EXPECT_EQ(static_cast<SkinUI::CLabelUI*>(Find(L"lab_install_labtext"))->GetFont(), 6);
}

TEST_F(WizardTest, CarouselStepsAndResetBringTheStripHome) {
  ShowInstallingPage();
  Post(WM_CAROUSEL_RESET, 0, 0);  // takes no home yet: the page keeps what windowinit saw
  const RECT home = Find(L"Hor_move")->GetPos();
  for (int i = 0; i < 100; ++i) PostMessageW(window_, WM_CAROUSEL_STEP, 0, 32);
  PumpUntil([] { return false; }, 100);
  EXPECT_EQ(Find(L"Hor_move")->GetPos().left, home.left - wizard_->GetManager().GetDPIObj()->Scale(3200));
}

class CloseWithoutQuestionTest : public WizardTest, public testing::WithParamInterface<int> {};

TEST_P(CloseWithoutQuestionTest, EndsTheInstaller) {
  tab_->SelectItem(GetParam());
  Post(WM_CLOSE, 0, 0);
  EXPECT_EQ(FindWindowW(L"ErrTip", nullptr), nullptr);
  EXPECT_TRUE(QuitPosted());
  EXPECT_FALSE(IsWindow(window_));
}

INSTANTIATE_TEST_SUITE_P(Pages, CloseWithoutQuestionTest, testing::Values(kPageStart, kPageCustom, kPageFinished));

// The installer's exit code tells a caller how the run ended: the result of the installation,
// the error's when one was shown, and "cancelled" when the wizard closed before any finished.
TEST_F(WizardTest, TheExitCodeIsTheResultOfTheLastInstallation) {
  struct Case {
    const char* what;
    std::vector<std::pair<UINT, ExitCode>> reports;  // messages with the result as wParam
    ExitCode code;
  };
  const Case cases[] = {
      {"closed before any installation", {}, ExitCode::kCancelled},
      {"closed after an error", {{WM_INSTALL_RESULT, ExitCode::kDownloadFailed}}, ExitCode::kDownloadFailed},
      {"closed after the installation finished",
       {{WM_INSTALL_FINISHED, ExitCode::kInstalled}, {WM_INSTALL_RESULT, ExitCode::kInstalled}},
       ExitCode::kInstalled},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (!IsWindow(window_)) SetUp();  // each case ends the installer
    for (const auto& report : c.reports) Post(report.first, static_cast<WPARAM>(report.second), 0);
    tab_->SelectItem(kPageStart);
    Post(WM_CLOSE, 0, 0);
    EXPECT_TRUE(QuitPosted());
    EXPECT_EQ(InstallerExitCode(), c.code);
  }
}

TEST_F(WizardTest, CustomiseFillsThePathsAndChecksThemBeforeStarting) {
  static_cast<SkinUI::CButtonUI*>(Find(L"btn_CustomizeInstall"))->Activate();
  EXPECT_EQ(tab_->GetCurSel(), kPageCustom);
  EXPECT_FALSE(Find(L"edit_InstallPath")->GetText().empty());
  EXPECT_FALSE(Find(L"edit_BookPath")->GetText().empty());

  // A drive that does not exist, or a folder not given in full: the box says so and the page
  // stays.
  for (const wchar_t* wrong : {L"Q:\\no\\such\\drive", L"\\Bokrin", L"C:Bokrin", L"Bokrin"}) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(wrong)));
    Find(L"edit_InstallPath")->SetText(wrong);
    AnswerNextBox(WM_TIP_OK, 0);
    static_cast<SkinUI::CButtonUI*>(Find(L"btn_Install"))->Activate();
    EXPECT_EQ(WaitForAnsweredBox(), L"安装路径错误！请重新选择或输入正确路径！");
    EXPECT_EQ(tab_->GetCurSel(), kPageCustom);
  }

  // A new directory under an existing drive is made and passes: the start is asked for (and
  // taken off the queue here, so that no engine runs).
  wchar_t temp[MAX_PATH]{};
  GetTempPathW(MAX_PATH, temp);
  Find(L"edit_InstallPath")->SetText(std::wstring(temp) + L"wizard_test\\app");
  Find(L"edit_BookPath")->SetText(std::wstring(temp) + L"wizard_test\\books");
  static_cast<SkinUI::CButtonUI*>(Find(L"btn_Install"))->Activate();
  MSG msg{};
  EXPECT_TRUE(PeekMessageW(&msg, window_, WM_WIZARD_START_INSTALL, WM_WIZARD_START_INSTALL, PM_REMOVE));
  EXPECT_EQ(msg.lParam, 1);
}

TEST_F(WizardTest, ClosingWhileInstallingAsksAndCancelKeepsGoing) {
  ShowInstallingPage();
  StandInEngine engine;
  engine.HandTo(wizard_);
  AnswerNextBox(WM_CLOSE, 0);
  Post(WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForAnsweredBox(), L"安装已在进行中，确定取消安装？");
  EXPECT_TRUE(IsWindow(window_));
  EXPECT_FALSE(QuitPosted());
  EXPECT_FALSE(engine.stop->Requested());
}

// What the test sees from a timer while the wizard waits for a cancelled engine: first the
// state that the confirmed cancel left, then, after the engine's late messages and more close
// requests, that nothing changed; only then does it let the engine end.
struct CancelWatch {
  InstallGuideWnd* wizard;
  CTabLayoutUI* tab;
  StandInEngine* engine;
  int step = 0;
  std::wstring status_while_waiting;
  int status_font = -1;
  bool quit_while_waiting = false;
  bool window_while_waiting = false;
  bool box_while_waiting = false;
  int page_after_late_messages = -1;
  std::wstring status_after_late_messages;
};
CancelWatch* g_cancelWatch = nullptr;

SkinUI::CLabelUI* StatusLabel(InstallGuideWnd* wizard) {
  return static_cast<SkinUI::CLabelUI*>(wizard->GetManager().FindControl(L"lab_install_labtext"));
}

bool QuitPending() {
  MSG msg{};
  return PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != FALSE;
}

VOID CALLBACK WatchCancel(HWND, UINT, UINT_PTR, DWORD) {
  // A tick already queued when the timer was killed may still come.
  if (g_cancelWatch == nullptr) return;
  CancelWatch& watch = *g_cancelWatch;
  if (!watch.engine->stop->Requested()) return;
  if (HWND box = FindWindowW(L"ErrTip", nullptr)) {
    // A box opened while cancelling: noted, and closed so that the wait can go on.
    watch.box_while_waiting = true;
    PostMessageW(box, WM_CLOSE, 0, 0);
    return;
  }
  const HWND window = watch.wizard->GetHWND();
  if (watch.step == 0) {
    watch.status_while_waiting = StatusLabel(watch.wizard)->GetText();
    watch.status_font = StatusLabel(watch.wizard)->GetFont();
    watch.quit_while_waiting = QuitPending();
    watch.window_while_waiting = IsWindow(window) != FALSE;
    // What a late engine may still post, and the user closing again; all handled before the
    // next tick, since a timer comes only when nothing else is queued.
    PostMessageW(window, WM_INSTALL_STATUS, kStatusWide, reinterpret_cast<LPARAM>(L"正在解压"));
    PostMessageW(window, WM_INSTALL_ERROR, kErrorBackToStart, reinterpret_cast<LPARAM>(L"解压失败"));
    PostMessageW(window, WM_INSTALL_FINISHED, 0, 0);
    PostMessageW(window, WM_CLOSE, 0, 0);
    PostMessageW(window, WM_CLOSE, 0, 1);
    watch.step = 1;
  } else if (watch.step == 1) {
    watch.page_after_late_messages = watch.tab->GetCurSel();
    watch.status_after_late_messages = StatusLabel(watch.wizard)->GetText();
    watch.quit_while_waiting |= QuitPending();
    watch.step = 2;
    watch.engine->Release();
  }
}

TEST_F(WizardTest, ConfirmedCancelStopsTheRunningEngineAndQuitsOnceItHasEnded) {
  ShowInstallingPage();
  StandInEngine engine;
  engine.HandTo(wizard_);
  CancelWatch watch{wizard_, tab_, &engine};
  g_cancelWatch = &watch;
  const UINT_PTR timer = SetTimer(nullptr, 0, 50, &WatchCancel);
  AnswerNextBox(WM_TIP_OK, 0);
  Post(WM_CLOSE, 0, 0);
  KillTimer(nullptr, timer);
  g_cancelWatch = nullptr;

  EXPECT_EQ(BoxAnswerer::shown, L"安装已在进行中，确定取消安装？");
  EXPECT_TRUE(engine.stop->Requested());
  ASSERT_EQ(watch.step, 2) << "the wizard did not wait for the engine";
  EXPECT_EQ(watch.status_while_waiting, L"正在取消安装，请稍候...");
  EXPECT_EQ(watch.status_font, 6);
  EXPECT_TRUE(watch.window_while_waiting);
  EXPECT_FALSE(watch.quit_while_waiting);
  EXPECT_FALSE(watch.box_while_waiting);
  EXPECT_EQ(watch.page_after_late_messages, kPageInstalling);
  EXPECT_EQ(watch.status_after_late_messages, L"正在取消安装，请稍候...");
  EXPECT_TRUE(engine.Ended());
  EXPECT_TRUE(QuitPosted());
  EXPECT_FALSE(IsWindow(window_));
}

// Nothing to put back: the engine has ended, or has not yet written to the install directory
// (and, stopped, never will); the installer ends at once without waiting for it.
TEST_F(WizardTest, ConfirmedCancelWithNothingToUndoQuitsAtOnce) {
  for (const bool ended : {true, false}) {
    SCOPED_TRACE(ended ? "the engine has ended" : "the engine has written nothing");
    if (!IsWindow(window_)) SetUp();  // the first case ended the installer
    ShowInstallingPage();
    StandInEngine engine(/*writing=*/false);
    engine.HandTo(wizard_);
    if (ended) engine.End();
    AnswerNextBox(WM_TIP_OK, 0);
    const DWORD start = GetTickCount();
    Post(WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForAnsweredBox(), L"安装已在进行中，确定取消安装？");
    EXPECT_LT(GetTickCount() - start, 5000u);
    EXPECT_TRUE(QuitPosted());
    EXPECT_FALSE(IsWindow(window_));
    EXPECT_EQ(engine.Ended(), ended);
    EXPECT_EQ(engine.stop->Requested(), !ended);
  }
}

// What the test does from a timer while the close question is open: an engine error arrives,
// then the user answers the question with OK; every box seen after that is noted and closed.
struct ErrorDuringQuestion {
  HWND wizard;
  int step = 0;
  std::vector<std::wstring> later_boxes;
};
ErrorDuringQuestion* g_errorDuringQuestion = nullptr;

VOID CALLBACK ErrorWhileAsking(HWND, UINT, UINT_PTR, DWORD) {
  if (g_errorDuringQuestion == nullptr) return;
  ErrorDuringQuestion& watch = *g_errorDuringQuestion;
  const HWND box = FindWindowW(L"ErrTip", nullptr);
  if (watch.step == 0 && box != nullptr) {
    PostMessageW(watch.wizard, WM_INSTALL_ERROR, 0, reinterpret_cast<LPARAM>(L"校验失败"));
    watch.step = 1;
  } else if (watch.step == 1 && box != nullptr) {
    // A timer comes only once the error's message has been handled.
    PostMessageW(box, WM_TIP_OK, 0, 0);
    watch.step = 2;
  } else if (watch.step == 2 && box != nullptr) {
    watch.later_boxes.push_back(OpenBoxText());
    PostMessageW(box, WM_CLOSE, 0, 0);
  }
}

TEST_F(WizardTest, OkOnTheCloseQuestionEndsTheInstallerWhateverErrorCameMeanwhile) {
  ShowInstallingPage();
  StandInEngine engine(/*writing=*/false);
  engine.HandTo(wizard_);
  ErrorDuringQuestion watch{window_};
  g_errorDuringQuestion = &watch;
  const UINT_PTR timer = SetTimer(nullptr, 0, 100, &ErrorWhileAsking);
  Post(WM_CLOSE, 0, 0);
  PumpUntil([] { return false; }, 500);
  KillTimer(nullptr, timer);
  g_errorDuringQuestion = nullptr;

  EXPECT_EQ(watch.step, 2);
  EXPECT_TRUE(watch.later_boxes.empty()) << testing::PrintToString(watch.later_boxes);
  EXPECT_TRUE(QuitPosted());
  EXPECT_FALSE(IsWindow(window_));
}

// Answers the boxes that open, in turn, from a timer: one answer each (a message to the box),
// keeping the texts they showed. The boxes may open inside one another's handling, where no
// test code runs between them.
struct BoxesInTurn {
  std::vector<UINT> answers;
  std::vector<std::wstring> shown;
};
BoxesInTurn* g_boxesInTurn = nullptr;

VOID CALLBACK AnswerInTurn(HWND, UINT, UINT_PTR, DWORD) {
  if (g_boxesInTurn == nullptr || g_boxesInTurn->shown.size() >= g_boxesInTurn->answers.size()) return;
  // A timer comes only when nothing else is queued, so an answered box is gone by the next one.
  const HWND box = FindWindowW(L"ErrTip", nullptr);
  if (box == nullptr) return;
  g_boxesInTurn->shown.push_back(OpenBoxText());
  PostMessageW(box, g_boxesInTurn->answers[g_boxesInTurn->shown.size() - 1], 0, 0);
}

// Keeping the installation instead shows the error that came meanwhile, once the question is
// answered.
TEST_F(WizardTest, AnErrorThatCameDuringTheCloseQuestionIsShownWhenTheInstallationGoesOn) {
  ShowInstallingPage();
  StandInEngine engine;
  engine.HandTo(wizard_);
  BoxesInTurn boxes{{WM_CLOSE, WM_TIP_OK}};
  g_boxesInTurn = &boxes;
  const UINT_PTR timer = SetTimer(nullptr, 0, 100, &AnswerInTurn);
  PostMessageW(window_, WM_CLOSE, 0, 0);
  PostMessageW(window_, WM_INSTALL_ERROR, 2, reinterpret_cast<LPARAM>(L"下载失败"));
  PumpUntil([&] { return boxes.shown.size() == 2 && FindWindowW(L"ErrTip", nullptr) == nullptr; }, 10000);
  KillTimer(nullptr, timer);
  g_boxesInTurn = nullptr;
  EXPECT_EQ(boxes.shown, (std::vector<std::wstring>{L"安装已在进行中，确定取消安装？", L"下载失败"}));
  EXPECT_EQ(tab_->GetCurSel(), kPageStart);
  EXPECT_FALSE(QuitPosted());
}

// Two boxes, the second asked for from inside the first one's loop: each answer belongs to the
// box its user answered.
struct NestedBoxes {
  HWND owner;
  int step = 0;
  UINT second_answer = 99;
};
NestedBoxes* g_nestedBoxes = nullptr;

VOID CALLBACK AnswerNestedBoxes(HWND, UINT, UINT_PTR, DWORD) {
  if (g_nestedBoxes == nullptr) return;
  NestedBoxes& boxes = *g_nestedBoxes;
  const HWND box = FindWindowW(L"ErrTip", nullptr);
  if (box == nullptr) return;
  if (boxes.step == 0) {
    boxes.step = 1;
    // Waits here for the first box, as a box asked for while one is open does.
    boxes.second_answer = ShowTipBox(boxes.owner, L"第二", L"提示");
  } else if (boxes.step == 1 && OpenBoxText() == L"第一") {
    PostMessageW(box, WM_TIP_OK, 0, 0);
    boxes.step = 2;
  } else if (boxes.step == 2 && OpenBoxText() == L"第二") {
    PostMessageW(box, WM_CLOSE, 0, 0);
    boxes.step = 3;
  }
}

TEST_F(WizardTest, EachBoxGivesItsOwnAnswerWhenAnotherWaitsBehindIt) {
  NestedBoxes boxes{window_};
  g_nestedBoxes = &boxes;
  const UINT_PTR timer = SetTimer(nullptr, 0, 100, &AnswerNestedBoxes);
  const UINT first_answer = ShowTipBox(window_, L"第一", L"提示");
  KillTimer(nullptr, timer);
  g_nestedBoxes = nullptr;
  EXPECT_EQ(boxes.step, 3);
  EXPECT_EQ(first_answer, 1u);
  EXPECT_EQ(boxes.second_answer, 0u);
}

// After an installation finished and the client did not start, a second installation is
// protected by the close question again.
TEST_F(WizardTest, ASecondInstallationAsksBeforeClosingAgain) {
  Post(WM_INSTALL_FINISHED, 0, 0);
  ASSERT_EQ(tab_->GetCurSel(), kPageFinished);
  tab_->SelectItem(kPageStart);
  // An install directory not given in full: the engine refuses it at once, without touching
  // the network or the disk.
  Find(L"edit_InstallPath")->SetText(L"relative\\Bokrin");
  AnswerNextBox(WM_TIP_OK, 0);
  Post(WM_WIZARD_START_INSTALL, 0, 1);
  EXPECT_EQ(WaitForAnsweredBox(), L"解压路径出错啦");
  ASSERT_EQ(tab_->GetCurSel(), kPageInstalling);
  AnswerNextBox(WM_CLOSE, 0);
  wizard_->GetManager().SendNotify(Find(L"btn_CloseInstallGuideWnd"), L"click");
  EXPECT_EQ(WaitForAnsweredBox(), L"安装已在进行中，确定取消安装？");
  EXPECT_TRUE(IsWindow(window_));
  EXPECT_FALSE(QuitPosted());
}

// Tab, Tab and Enter in a box that starts on OK: the focus goes round to "取消", and Enter
// presses it.
VOID CALLBACK TabTwiceThenEnter(HWND, UINT, UINT_PTR id, DWORD) {
  const HWND box = FindWindowW(L"ErrTip", nullptr);
  if (box == nullptr) return;
  KillTimer(nullptr, id);
  for (const WPARAM key : {WPARAM{VK_TAB}, WPARAM{VK_TAB}, WPARAM{VK_RETURN}}) PostMessageW(box, WM_KEYDOWN, key, 0);
}

TEST_F(WizardTest, EnterPressesTheButtonTheKeysMovedTo) {
  SetTimer(nullptr, 0, 300, &TabTwiceThenEnter);
  EXPECT_EQ(ShowTipBox(window_, L"问题", L"提示"), 0u);
  EXPECT_EQ(FindWindowW(L"ErrTip", nullptr), nullptr);
}

TEST_F(WizardTest, ErrorThatStaysLeavesThePageAsItIs) {
  ShowInstallingPage();
  AnswerNextBox(WM_TIP_OK, 0);
  Post(WM_INSTALL_ERROR, 0, reinterpret_cast<LPARAM>(L"校验失败"));
  EXPECT_EQ(WaitForAnsweredBox(), L"校验失败");
  EXPECT_EQ(tab_->GetCurSel(), kPageInstalling);
  EXPECT_FALSE(QuitPosted());
}

TEST_F(WizardTest, ErrorThatGoesBackShowsTheBoxOnTheFirstPage) {
  ShowInstallingPage();
  AnswerNextBox(WM_TIP_OK, 0);
  Post(WM_INSTALL_ERROR, 2, reinterpret_cast<LPARAM>(L"下载失败"));
  EXPECT_EQ(WaitForAnsweredBox(), L"下载失败");
  EXPECT_EQ(tab_->GetCurSel(), kPageStart);
  EXPECT_FALSE(QuitPosted());
}

TEST_F(WizardTest, ErrorThatEndsQuitsAfterTheBox) {
  AnswerNextBox(WM_CLOSE, 0);
  Post(WM_INSTALL_ERROR, 4, reinterpret_cast<LPARAM>(L"安装失败"));
  EXPECT_EQ(WaitForAnsweredBox(), L"安装失败");
  EXPECT_TRUE(QuitPosted());
}

struct BoxAnswer {
  const char* what;
  UINT message;
  WPARAM wParam;
  UINT result;
};

class MessageBoxTest : public WizardTest, public testing::WithParamInterface<BoxAnswer> {};

TEST_P(MessageBoxTest, AnswersOkOnlyForTheOkButtonAndEnter) {
  AnswerNextBox(GetParam().message, GetParam().wParam);
  EXPECT_EQ(ShowTipBox(window_, L"问题", L"提示"), GetParam().result) << GetParam().what;
  EXPECT_EQ(FindWindowW(L"ErrTip", nullptr), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Answers, MessageBoxTest,
                         testing::Values(BoxAnswer{"OK", WM_TIP_OK, 0, 1}, BoxAnswer{"Enter", WM_KEYDOWN, VK_RETURN, 1},
                                         BoxAnswer{"cancel", WM_CLOSE, 0, 0},
                                         BoxAnswer{"Alt+F4", WM_SYSCOMMAND, SC_CLOSE, 0},
                                         BoxAnswer{"Escape", WM_KEYDOWN, VK_ESCAPE, 0},
                                         BoxAnswer{"Space on OK, which has the focus", WM_KEYDOWN, VK_SPACE, 1}));

// The keys alone, as they reach the wizard through its message loop.
class WizardKeysTest : public WizardTest {
 protected:
  void Key(WPARAM key) {
    SetFocus(window_);
    Post(WM_KEYDOWN, key, 0);
  }
  std::wstring Focused() {
    CControlUI* focus = wizard_->GetManager().GetFocus();
    return focus != nullptr ? focus->GetName() : L"(none)";
  }
  std::vector<std::wstring> TabStops() {
    std::vector<std::wstring> names;
    for (CControlUI* control : wizard_->GetManager().TabOrder()) names.push_back(control->GetName());
    return names;
  }
};

TEST_F(WizardKeysTest, TabWalksEachPageAndItsTitleBarAndEnterPressesTheFocusedButton) {
  EXPECT_EQ(Focused(), L"btn_InstallFast");
  EXPECT_EQ(TabStops(), (std::vector<std::wstring>{L"btn_InstallFast", L"btn_CustomizeInstall", L"btn_less",
                                                   L"btn_CloseInstallGuideWnd"}));
  Key(VK_TAB);
  EXPECT_EQ(Focused(), L"btn_CustomizeInstall");
  Key(VK_RETURN);
  ASSERT_EQ(tab_->GetCurSel(), kPageCustom);
  // The customise page opens with its first edit ready for typing.
  EXPECT_EQ(Focused(), L"edit_InstallPath");
  HWND native = static_cast<SkinUI::CEditUI*>(Find(L"edit_InstallPath"))->GetNativeEditWindow();
  ASSERT_NE(native, nullptr);
  EXPECT_EQ(GetFocus(), native);
  EXPECT_EQ(TabStops(), (std::vector<std::wstring>{L"edit_InstallPath", L"btn_selecInstallPath", L"edit_BookPath",
                                                   L"btn_SelecBookPath", L"btn_Install", L"btn_less",
                                                   L"btn_CloseInstallGuideWnd"}));
  // Tab typed into the edit goes on to the next stop.
  PostMessageW(native, WM_KEYDOWN, VK_TAB, 0);
  PumpUntil([] { return false; }, 50);
  EXPECT_EQ(Focused(), L"btn_selecInstallPath");
  EXPECT_FALSE(IsWindow(native));
  // The installing page has no stop of its own: Tab reaches the title bar.
  ShowInstallingPage();
  EXPECT_EQ(TabStops(), (std::vector<std::wstring>{L"btn_less", L"btn_CloseInstallGuideWnd"}));
  Key(VK_TAB);
  EXPECT_EQ(Focused(), L"btn_less");
}

TEST_F(WizardKeysTest, EscapeIsTheCloseButton) {
  // Before an installation the wizard simply ends.
  Key(VK_ESCAPE);
  EXPECT_TRUE(QuitPosted());
  EXPECT_FALSE(IsWindow(window_));

  // While installing it asks first; Escape in the question keeps the installation going.
  SetUp();
  ShowInstallingPage();
  StandInEngine engine;
  engine.HandTo(wizard_);
  AnswerNextBox(WM_KEYDOWN, VK_ESCAPE);
  Key(VK_ESCAPE);
  EXPECT_EQ(WaitForAnsweredBox(), L"安装已在进行中，确定取消安装？");
  PumpUntil([] { return FindWindowW(L"ErrTip", nullptr) == nullptr; }, 2000);
  EXPECT_EQ(FindWindowW(L"ErrTip", nullptr), nullptr);
  EXPECT_TRUE(IsWindow(window_));
  EXPECT_FALSE(QuitPosted());
  EXPECT_FALSE(engine.stop->Requested());
}

}  // namespace
