#pragma once
// Text controls: the single-line label and the word-wrapped text, and what they share with the
// controls built on them (font, colour, alignment, text padding).
#include "skinui/control/uicontrol.h"
#include "skinui/core/attribute_values.h"

namespace SkinUI {

class CLabelUI : public CControlUI {
 public:
  const wchar_t* GetClass() const override;

  void SetText(const CSkinString& text) override;
  // A font id of the window; an unknown id draws in the default font.
  void SetFont(int font_id);
  int GetFont() const { return m_iFont; }
  SIZE EstimateSize(SIZE available) override;

 protected:
  static const ControlAttributes& Attributes();
  const ControlAttributes& AttributesOfClass() const override { return Attributes(); }
  void PaintText(PaintContext& context) override;
  // The rectangle the text is drawn in: the control's less its scaled text padding.
  RECT TextRect() const;
  DWORD TextColor() const;
  // DrawText's flags for this control's text.
  virtual UINT TextFormat() const;

  int m_iFont = -1;
  DWORD m_dwTextColor = 0;
  HorizontalAlign m_align = HorizontalAlign::kLeft;
  RECT m_rcTextPadding{};
  bool m_bAutoCalcWidth = false;
};

class CTextUI : public CLabelUI {
 public:
  CTextUI();
  const wchar_t* GetClass() const override;

 protected:
  UINT TextFormat() const override;
};

}  // namespace SkinUI
