#include "engine/held_file_text.h"

#include <mutex>
#include <set>

WString HeldFileErrorText(const WString& entry_name, const std::vector<WString>& programs) {
  WString text = U16("文件被其他程序占用：");
  for (Utf16Char ch : entry_name) text += ch == U16('/') ? U16('\\') : ch;
  if (!programs.empty()) {
    text += U16("（");
    for (size_t i = 0; i < programs.size(); ++i) {
      if (i != 0) text += U16("、");
      text += programs[i];
    }
    text += U16("）");
  }
  return text + U16("，请关闭该程序后重试！");
}

const Utf16Char* KeepForProcess(const WString& text) {
  // A set never moves its elements, so a text handed out stays where it is while others join.
  static std::mutex lock;
  static std::set<WString> kept;
  const std::lock_guard<std::mutex> guard(lock);
  return kept.insert(text).first->c_str();
}
