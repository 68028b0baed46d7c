// File name masks as Zip tools understand them: '*' matches any run of
// characters (a '/' included), '?' matches exactly one. Portable.
#pragma once

#include <string>

namespace zipcore {

// True when `text` matches `pattern`. With `ignoreCase`, ASCII letters
// compare without regard to case (other bytes compare exactly).
bool WildcardMatch(const std::string& pattern, const std::string& text, bool ignoreCase);

// Windows masks: as WildcardMatch without regard to case, and a mask
// ending in ".*" also matches names without an extension ("*.*" matches
// every name, "readme.*" matches "readme").
bool DosMaskMatch(const std::string& pattern, const std::string& text);

// True when `text` holds a '*' or a '?'.
bool HasWildcards(const std::string& text);

}  // namespace zipcore
