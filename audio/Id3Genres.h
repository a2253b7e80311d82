// The ID3v1 genre list with its later extensions: 148 names, numbered 0 ("Blues") to 147.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace lumetra {

inline constexpr int kId3GenreCount = 148;

// The name of genre `number`; empty outside 0..147.
std::string_view Id3GenreName(int number);

// The genre an ID3v1 tag stands for: "(n)" with n from 0 to 147 becomes the name of genre n;
// any other text stays as it is.
std::string Id3v1GenreText(const std::string& text);

}  // namespace lumetra
