#include "cli/scan_address.hpp"

namespace vantrel {
namespace {

int hex_digit_value(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool is_space(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool starts_with_hex_prefix(std::string_view text)
{
    return text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X') &&
           hex_digit_value(text[2]) >= 0;
}

} // namespace

std::uint32_t scan_address(std::string_view text)
{
    while (!text.empty() && is_space(text.front()))
        text.remove_prefix(1);
    const bool negative = !text.empty() && text.front() == '-';
    if (!text.empty() && (text.front() == '-' || text.front() == '+'))
        text.remove_prefix(1);
    if (starts_with_hex_prefix(text))
        text.remove_prefix(2);
    std::uint32_t value = 0;
    for (char c : text) {
        const int digit = hex_digit_value(c);
        if (digit < 0)
            break;
        value = value << 4 | static_cast<std::uint32_t>(digit);
    }
    return negative ? 0U - value : value;
}

} // namespace vantrel
