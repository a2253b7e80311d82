// Readers of numbers written as text, as the database and the media layer deliver them.
#pragma once

#include <string_view>

namespace lumetra {

// Leading decimal integer of a text: leading blanks skipped, optional sign, digits; 0 when none.
// Absurdly long digit runs saturate at INT_MAX instead of overflowing.
int LeadingInt(std::string_view text);

}  // namespace lumetra
