#include "audio/TagText.h"

#include <algorithm>
#include <optional>

#include "base/Gbk.h"

namespace lumetra {
namespace {

bool HasHighByte(std::string_view bytes) {
    return std::any_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) > 0x7F; });
}

std::string Latin1ToUtf8(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            text += c;
        } else {
            text += static_cast<char>(0xC0 | b >> 6);
            text += static_cast<char>(0x80 | (b & 0x3F));
        }
    }
    return text;
}

}  // namespace

std::string SingleByteTagText(std::string_view bytes) {
    if (!HasHighByte(bytes)) return std::string(bytes);
    if (std::optional<std::string> text = GbkToUtf8(bytes)) return *text;
    const std::string_view cut = bytes.substr(0, bytes.size() - 1);
    if (static_cast<unsigned char>(bytes.back()) > 0x80 && HasHighByte(cut)) {
        if (std::optional<std::string> text = GbkToUtf8(cut)) return *text;
    }
    return Latin1ToUtf8(bytes);
}

}  // namespace lumetra
