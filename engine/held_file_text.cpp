#include "engine/held_file_text.h"

#include <atomic>
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
  // The engines of two installations may overlap for a moment; the shipped build's thread model
  // has no std::mutex, and the insertion is short, so a flag guards the set.
  static std::atomic_flag busy = ATOMIC_FLAG_INIT;
  static std::set<WString> kept;
  while (busy.test_and_set(std::memory_order_acquire)) {
  }
  const Utf16Char* const kept_text = kept.insert(text).first->c_str();
  busy.clear(std::memory_order_release);
  return kept_text;
}
