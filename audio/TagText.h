// Tag texts stored as single bytes (ID3v1 fields, ID3v2 frames marked ISO-8859-1) in UTF-8. Chinese
// tagging tools have always put GBK bytes there, so bytes that read as GBK are taken as GBK;
// anything else is Latin-1, as the tag formats define it. The result is always valid UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace lumetra {

// GBK when the bytes hold a byte above 0x7F and are valid GBK (a fixed-size field may cut the last
// character in half: a lone lead byte at the end is dropped then), Latin-1 otherwise.
std::string SingleByteTagText(std::string_view bytes);

}  // namespace lumetra
