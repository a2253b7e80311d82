// Readers of numbers written as text, as the database and the media layer deliver them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace lumetra {

// Leading decimal integer of a text: leading blanks skipped, optional sign, digits; 0 when none.
// Absurdly long digit runs saturate at INT_MAX instead of overflowing.
int LeadingInt(std::string_view text);

// Ascending numbers with runs joined: {1, 2, 3, 5} -> "1-3, 5".
std::string NumberRanges(const std::vector<int>& numbers);
// Reads such a text back: "1-3, 5" -> {1, 2, 3, 5}; what is not a number or a run is skipped.
std::vector<int> ParseNumberRanges(std::string_view text);

}  // namespace lumetra
