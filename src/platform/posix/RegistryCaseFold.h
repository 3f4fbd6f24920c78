// Case folding of registry names: keys and value names compare as their upper case.
#pragma once

namespace cbf::platform::registry {

/// The upper case of one UTF-16 code unit by the simple one-to-one mappings
/// of the Basic Multilingual Plane ("ä" gives "Ä", "ß" stays), the unit
/// itself when it has none. Surrogates are left alone, so characters beyond
/// the plane compare exactly, as the Windows registry compares them.
char16_t FoldCase(char16_t unit);

} // namespace cbf::platform::registry
