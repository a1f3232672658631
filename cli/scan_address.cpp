#include "cli/scan_address.hpp"

#include <type_traits>

namespace vantrel {
namespace {

// Characters are compared as code units, so that no byte of UTF-8 and no
// unit of UTF-16 outside ASCII is taken for a digit or a space.
int hex_digit_value(char32_t c)
{
    if (c >= U'0' && c <= U'9')
        return static_cast<int>(c - U'0');
    if (c >= U'a' && c <= U'f')
        return static_cast<int>(c - U'a' + 10);
    if (c >= U'A' && c <= U'F')
        return static_cast<int>(c - U'A' + 10);
    return -1;
}

bool is_space(char32_t c)
{
    return c == U' ' || c == U'\t' || c == U'\n' || c == U'\v' || c == U'\f' || c == U'\r';
}

// A code unit as an unsigned value, whatever the signedness of Char.
template <typename Char> char32_t unit(Char c)
{
    return static_cast<char32_t>(static_cast<std::make_unsigned_t<Char>>(c));
}

template <typename Char> bool starts_with_hex_prefix(std::basic_string_view<Char> text)
{
    return text.size() > 2 && unit(text[0]) == U'0' &&
           (unit(text[1]) == U'x' || unit(text[1]) == U'X') && hex_digit_value(unit(text[2])) >= 0;
}

template <typename Char> std::uint32_t scan_hex(std::basic_string_view<Char> text)
{
    while (!text.empty() && is_space(unit(text.front())))
        text.remove_prefix(1);
    const bool negative = !text.empty() && unit(text.front()) == U'-';
    if (!text.empty() && (unit(text.front()) == U'-' || unit(text.front()) == U'+'))
        text.remove_prefix(1);
    if (starts_with_hex_prefix(text))
        text.remove_prefix(2);
    std::uint32_t value = 0;
    for (Char c : text) {
        const int digit = hex_digit_value(unit(c));
        if (digit < 0)
            break;
        value = value << 4 | static_cast<std::uint32_t>(digit);
    }
    return negative ? 0U - value : value;
}

} // namespace

std::uint32_t scan_address(std::string_view text)
{
    return scan_hex(text);
}

std::uint32_t scan_address(std::wstring_view text)
{
    return scan_hex(text);
}

} // namespace vantrel
