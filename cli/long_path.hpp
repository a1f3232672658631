#pragma once

#include <span>
#include <string_view>

namespace vantrel {

// Writes the extended-length form of a full Windows path to `out`, ended by
// a null: "\\?\C:\dir\file" for a drive path, "\\?\UNC\server\share\file" for
// a network one. Windows opens that form whatever its length, without the
// system-wide long-path policy. Gives false, and writes nothing, for a path
// that has no such form (relative, a device, already extended) or that does
// not fit.
bool to_extended_length_path(std::wstring_view full_path, std::span<wchar_t> out);

} // namespace vantrel
