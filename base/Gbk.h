// Text travels inside the program as UTF-8; LED screens and old Chinese tags hold GBK bytes.
// Conversions go through iconv and never guess: a text that GBK cannot encode (or bytes that are
// not GBK) is refused with a message saying what went wrong.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace lumetra {

// UTF-8 to GBK bytes; nullopt with `*error` set when a character has no GBK form.
std::optional<std::string> Utf8ToGbk(std::string_view utf8, std::string* error = nullptr);
// GBK bytes to UTF-8; nullopt with `*error` set for a byte sequence that is not GBK.
std::optional<std::string> GbkToUtf8(std::string_view gbk, std::string* error = nullptr);

}  // namespace lumetra
