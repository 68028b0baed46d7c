// Reading side of the Zip core: the member name patterns of unzip's include
// and exclude lists, as Info-ZIP's unzip reads them: '*' any run of
// characters (separators included), '?' any one character, "[a-z]" a set or
// range, "[!...]" or "[^...]" its complement. Portable.
#pragma once

#include <string>

namespace zipcore {

// Whether `name` matches `pattern`. With `ignoreCase`, ASCII letters match
// either case. Never recursive; O(|pattern| * |name|) at worst.
bool MemberPatternMatch(const std::string& pattern, const std::string& name, bool ignoreCase);

}  // namespace zipcore
