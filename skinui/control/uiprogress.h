#pragma once
// The progress bar and the slider built on it: the foreground picture fills the part of the
// bar that the value has reached; the text stands centred on one line.
#include "skinui/control/uilabel.h"
#include "skinui/core/accessible_element.h"

namespace SkinUI {

class CProgressUI : public CLabelUI {
 public:
  CProgressUI();
  const wchar_t* GetClass() const override;

  int GetMinValue() const { return m_nMin; }
  int GetMaxValue() const { return m_nMax; }
  int GetValue() const { return m_nValue; }
  void SetMinValue(int min);
  void SetMaxValue(int max);
  void SetValue(int value);
  void DoEvent(TEventUI& event) override;

 protected:
  static const ControlAttributes& Attributes();
  const ControlAttributes& AttributesOfClass() const override { return Attributes(); }
  void PaintForeImage(PaintContext& context) override;

 private:
  int m_nMin = 0;
  int m_nMax = 100;
  int m_nValue = 0;
  // Screen readers hear of new values a few times a second, not at every step.
  ValueChangeThrottle m_valueEvents;
};

class CSliderUI : public CProgressUI {
 public:
  CSliderUI();
  const wchar_t* GetClass() const override;
};

}  // namespace SkinUI
