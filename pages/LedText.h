// How many GBK bytes a text takes on an LED screen, where a text too long for one is cut, and which
// character a screen cannot show.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace lumetra {

// Bytes the UTF-8 text takes in GBK: one for ASCII, two for a Chinese character. A character
// that GBK lacks counts two; such a text is refused when it is sent.
size_t GbkByteCount(std::string_view utf8);
// The longest leading part of whole characters that fits in `limit` GBK bytes.
std::string CutToGbkBytes(std::string_view utf8, size_t limit);
// The first character GBK cannot encode, empty when there is none.
std::string FirstCharacterWithoutGbk(std::string_view utf8);
// "还可输入 %d 字节（一个汉字占 2 字节）" with the bytes still free.
std::string LedHintText(size_t bytesUsed);

}  // namespace lumetra
