#pragma once

#include <cstdint>
#include <string_view>

namespace vantrel {

// Reads a start address the way a "%x" conversion does: leading white
// space, an optional sign, an optional 0x or 0X before a hex digit, then hex
// digits in either case up to the first other character; the rest is
// ignored. A minus negates modulo 2^32, digits beyond 32 bits keep the low
// 32 bits, and text without a hex number gives 0. Only ASCII characters are
// digits, signs or white space: a full-width "１００" holds no number.
std::uint32_t scan_address(std::string_view text);
// The same for an argument as Windows hands it over, in UTF-16.
std::uint32_t scan_address(std::wstring_view text);

} // namespace vantrel
