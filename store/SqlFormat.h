// Fills a statement template printf-style. Every text value has its single quotes doubled first,
// so text typed by an operator always stays one SQL literal between the template's quotes.
#pragma once

#include <concepts>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>

namespace lumetra {

// "it's" -> "it''s"
std::string EscapeSql(std::string_view text);

namespace detail {

enum class ArgKind { kText, kInteger };

// Formats with vsnprintf after checking that the template's conversions (%s, %d) match the
// argument kinds one for one; a mismatch is a programming error and throws std::logic_error.
std::string FormatChecked(const char* tmpl, const ArgKind* kinds, size_t count, ...);

template <typename T>
concept TextLike = std::convertible_to<const T&, std::string_view>;

template <typename T>
auto Prepare(const T& value) {
    if constexpr (TextLike<T>)
        return EscapeSql(std::string_view(value));
    else {
        static_assert(std::is_integral_v<T> || std::is_enum_v<T>, "SQL values are text or integers");
        return static_cast<int>(value);
    }
}

inline const char* Pass(const std::string& text) {
    return text.c_str();
}
inline int Pass(int value) {
    return value;
}

}  // namespace detail

template <typename... Args>
std::string FormatSql(const char* tmpl, const Args&... args) {
    static constexpr detail::ArgKind kinds[sizeof...(Args) + 1] = {
        (detail::TextLike<Args> ? detail::ArgKind::kText : detail::ArgKind::kInteger)...};
    auto prepared = std::make_tuple(detail::Prepare(args)...);
    return std::apply(
        [&](const auto&... values) {
            return detail::FormatChecked(tmpl, kinds, sizeof...(Args), detail::Pass(values)...);
        },
        prepared);
}

}  // namespace lumetra
