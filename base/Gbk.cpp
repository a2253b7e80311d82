#include "base/Gbk.h"

#include <errno.h>
#include <iconv.h>

#include <cstring>

namespace lumetra {
namespace {

std::optional<std::string> Convert(const char* to, const char* from, std::string_view input, const char* what,
                                   std::string* error) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        if (error) *error = std::string("no conversion from ") + from + " to " + to;
        return std::nullopt;
    }
    // GBK never takes more than two bytes for a character, UTF-8 never more than three for one
    // GBK character, so three times the input always suffices.
    std::string output(input.size() * 3 + 4, '\0');
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    char* out = output.data();
    size_t outLeft = output.size();
    const size_t result = iconv(cd, &in, &inLeft, &out, &outLeft);
    const int code = errno;
    iconv_close(cd);
    if (result == static_cast<size_t>(-1)) {
        if (error) {
            const size_t at = input.size() - inLeft;
            *error = std::string(what) + " at byte " + std::to_string(at) +
                     (code == EILSEQ ? "" : std::string(" (") + std::strerror(code) + ")");
        }
        return std::nullopt;
    }
    output.resize(output.size() - outLeft);
    return output;
}

}  // namespace

std::optional<std::string> Utf8ToGbk(std::string_view utf8, std::string* error) {
    return Convert("GBK", "UTF-8", utf8, "text has a character that GBK cannot encode", error);
}

std::optional<std::string> GbkToUtf8(std::string_view gbk, std::string* error) {
    return Convert("UTF-8", "GBK", gbk, "bytes are not valid GBK", error);
}

}  // namespace lumetra
