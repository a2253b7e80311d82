// Splits stored lists such as 目标区域 ("1|0|...") and 节目内容 (file paths joined by "|").
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace lumetra {

// Empties `pieces`, then appends the pieces of `text` between separators from the left. At a
// separator found at position 0, or right behind the previous one, splitting stops and the rest
// (that separator included) becomes one last piece. Never yields an empty piece; a trailing
// separator adds nothing. "a|b|c" -> a, b, c; "a|b|" -> a, b; "a||b" -> a, |b.
void SplitString(std::string_view text, std::vector<std::string>& pieces, char separator);

}  // namespace lumetra
