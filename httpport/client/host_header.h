#pragma once
// The host a request is meant for, when a "Host: " header line names another than the one
// connected to (the retry through a bare address).
#include <vector>

#include "common/utf16.h"

// The value of the last "Host:" line (the name compared without case, blanks around the value
// dropped), as the replacing header lines leave it; empty when there is none.
WString HostHeaderValue(const std::vector<WString>& header_lines);
