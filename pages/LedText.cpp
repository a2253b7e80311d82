#include "pages/LedText.h"

#include "base/Gbk.h"
#include "link/Frames.h"

namespace lumetra {
namespace {

// Length of the UTF-8 sequence a lead byte starts; a stray byte stands alone.
size_t SequenceLength(unsigned char lead) {
    if (lead < 0xC0) return 1;
    if (lead < 0xE0) return 2;
    if (lead < 0xF0) return 3;
    return lead < 0xF8 ? 4 : 1;
}

struct Character {
    std::string_view text;
    size_t gbkBytes;
    bool inGbk;
};

// Calls `visit` with each character in turn until it returns false.
template <typename Visit>
void ForEachCharacter(std::string_view utf8, Visit visit) {
    for (size_t at = 0; at < utf8.size();) {
        const std::string_view text = utf8.substr(at, SequenceLength(static_cast<unsigned char>(utf8[at])));
        at += text.size();
        if (static_cast<unsigned char>(text[0]) < 0x80) {
            if (!visit(Character{text, 1, true})) return;
            continue;
        }
        const auto gbk = Utf8ToGbk(text);
        if (!visit(Character{text, gbk ? gbk->size() : 2, gbk.has_value()})) return;
    }
}

}  // namespace

size_t GbkByteCount(std::string_view utf8) {
    size_t bytes = 0;
    ForEachCharacter(utf8, [&](const Character& c) {
        bytes += c.gbkBytes;
        return true;
    });
    return bytes;
}

std::string CutToGbkBytes(std::string_view utf8, size_t limit) {
    size_t bytes = 0, kept = 0;
    ForEachCharacter(utf8, [&](const Character& c) {
        if (bytes + c.gbkBytes > limit) return false;
        bytes += c.gbkBytes;
        kept += c.text.size();
        return true;
    });
    return std::string(utf8.substr(0, kept));
}

std::string FirstCharacterWithoutGbk(std::string_view utf8) {
    std::string found;
    ForEachCharacter(utf8, [&](const Character& c) {
        if (!c.inGbk) found = c.text;
        return c.inGbk;
    });
    return found;
}

std::string LedHintText(size_t bytesUsed) {
    const long left = static_cast<long>(kMaxLedTextBytes) - static_cast<long>(bytesUsed);
    return "还可输入 " + std::to_string(left < 0 ? 0 : left) + " 字节（一个汉字占 2 字节）";
}

}  // namespace lumetra
