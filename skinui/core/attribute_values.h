#pragma once
// The value syntax shared by all skin attributes. Values are read the lenient way the toolkit
// always has: a malformed value never fails, it reads as far as it makes sense and gives 0,
// false or nothing for the rest, and no text can overflow a result.
#include <cstdint>
#include <vector>

#include "skinui/core/geometry.h"
#include "skinui/core/skin_markup.h"

namespace SkinUI {

// Decimal, optionally signed, after optional leading blanks or tabs. Reading stops at the first
// character that is not a digit ("12px" gives 12, "px" gives 0); a value beyond the 32-bit
// range is clamped to it.
int32_t ParseInteger(WStringView text);

// "left,top,right,bottom" and "width,height": each comma-separated field is read as an integer;
// fields that are missing give 0 and fields beyond the last are ignored.
UiRect ParseRect(WStringView text);
UiSize ParseSize(WStringView text);

// 0xAARRGGBB in hexadecimal digits of either case, with or without one leading "#". Reading
// stops at the first character that is not a hexadecimal digit; more than eight digits clamp
// to 0xFFFFFFFF. Six digits give a colour whose alpha is 0, that is, an invisible one.
uint32_t ParseColor(WStringView text);

// True only for "true", ignoring case.
bool ParseBool(WStringView text);

enum class HorizontalAlign { kLeft, kCenter, kRight };

// Looks for "left", "center" and "right" in this order, so that the last one found wins; a text
// that holds none of them leaves `current` as it is.
HorizontalAlign ParseAlign(WStringView text, HorizontalAlign current);

// key=<quote>value<quote> pairs separated by white space, in order. A key runs up to the "="
// that must follow it directly, and the value up to the next quote. A malformed pair ends the
// list; the pairs before it are kept, as they would have been applied by then.
std::vector<MarkupAttribute> ParseQuotedPairs(WStringView text, Utf16Char quote);

// The attribute list of a `Default` element: key="value" pairs, as the value reads once its
// entities are decoded.
inline std::vector<MarkupAttribute> ParseAttributeList(WStringView text) { return ParseQuotedPairs(text, '"'); }

}  // namespace SkinUI
