#pragma once
// Looking into the skin's markup for what the wizard takes from it besides the controls it
// builds: the badge's declared size, the order of the pages in the tab layout.
#include "skinui/core/skin_markup.h"

// The first element under `root` (itself included, parents before children, as the window's
// control lookup goes) whose "name" is exactly `name`; null when there is none.
const SkinUI::MarkupNode* FindNamedElement(const SkinUI::MarkupNode& root, SkinUI::WStringView name);
