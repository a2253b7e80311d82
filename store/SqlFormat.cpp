#include "store/SqlFormat.h"

#include <cstdarg>
#include <cstdio>
#include <stdexcept>

namespace lumetra {

std::string EscapeSql(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size() + 2);
    for (char c : text) {
        escaped.push_back(c);
        if (c == '\'') escaped.push_back('\'');
    }
    return escaped;
}

namespace detail {
namespace {

void CheckConversions(const char* tmpl, const ArgKind* kinds, size_t count) {
    size_t used = 0;
    for (const char* p = tmpl; *p; ++p) {
        if (*p != '%') continue;
        ++p;
        if (*p == '%') continue;
        ArgKind wanted;
        if (*p == 's')
            wanted = ArgKind::kText;
        else if (*p == 'd')
            wanted = ArgKind::kInteger;
        else
            throw std::logic_error(std::string("unsupported conversion in SQL template: ") + tmpl);
        if (used >= count || kinds[used] != wanted)
            throw std::logic_error(std::string("SQL template arguments do not match: ") + tmpl);
        ++used;
    }
    if (used != count) throw std::logic_error(std::string("too many SQL template arguments: ") + tmpl);
}

}  // namespace

std::string FormatChecked(const char* tmpl, const ArgKind* kinds, size_t count, ...) {
    CheckConversions(tmpl, kinds, count);
    va_list args;
    va_start(args, count);
    va_list again;
    va_copy(again, args);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    const int length = std::vsnprintf(nullptr, 0, tmpl, args);
    std::string out(static_cast<size_t>(length > 0 ? length : 0), '\0');
    if (length > 0) std::vsnprintf(out.data(), out.size() + 1, tmpl, again);
#pragma GCC diagnostic pop
    va_end(again);
    va_end(args);
    return out;
}

}  // namespace detail
}  // namespace lumetra
