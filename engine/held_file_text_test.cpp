#include "engine/held_file_text.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

TEST(HeldFileErrorText, NamesTheFileInsideTheInstallDirectoryAndTheProgramsWhenKnown) {
  struct Case {
    const Utf16Char* entry_name;
    std::vector<WString> programs;
    const Utf16Char* text;
  };
  const Case cases[] = {
      {U16("Bokrin.exe"), {}, U16("文件被其他程序占用：Bokrin.exe，请关闭该程序后重试！")},
      {U16("plugins/阅读/core.dll"), {}, U16("文件被其他程序占用：plugins\\阅读\\core.dll，请关闭该程序后重试！")},
      {U16("Bokrin.exe"), {U16("Bokrin阅读")}, U16("文件被其他程序占用：Bokrin.exe（Bokrin阅读），请关闭该程序后重试！")},
      {U16("fonts/a.ttf"),
       {U16("Bokrin阅读"), U16("Windows 资源管理器")},
       U16("文件被其他程序占用：fonts\\a.ttf（Bokrin阅读、Windows 资源管理器），请关闭该程序后重试！")},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(HeldFileErrorText(c.entry_name, c.programs), c.text);
  }
}

TEST(KeepForProcess, KeepsEachTextOnceAndWhereItIsWhileOthersJoin) {
  const WString first = U16("文件被其他程序占用：a.txt，请关闭该程序后重试！");
  const Utf16Char* kept = KeepForProcess(first);
  EXPECT_EQ(WString(kept), first);
  EXPECT_EQ(KeepForProcess(WString(first)), kept);

  // Texts kept by other threads meanwhile neither move nor change the first.
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t] {
      const WString prefix(1, static_cast<Utf16Char>(U16('a') + t));
      for (int i = 0; i < 200; ++i) KeepForProcess(prefix + WString(i, U16('x')));
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(KeepForProcess(first), kept);
  EXPECT_EQ(WString(kept), first);
  const Utf16Char* other = KeepForProcess(U16("b"));
  EXPECT_NE(other, kept);
  EXPECT_EQ(WString(other), U16("b"));
}

}  // namespace
