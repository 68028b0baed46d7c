#include "MemberPattern.h"

namespace zipcore {

namespace {

char Fold(char c, bool ignoreCase) {
    if (ignoreCase && c >= 'A' && c <= 'Z') return static_cast<char>(c - 'A' + 'a');
    return c;
}

enum class SetResult { Match, NoMatch, NotASet };

// Matches one character against the set starting at pattern[p] ('[') and
// sets `next` past its closing bracket. A '[' without one is a literal.
SetResult MatchSet(const std::string& pattern, size_t p, char c, bool ignoreCase, size_t& next) {
    size_t i = p + 1;
    bool negate = i < pattern.size() && (pattern[i] == '!' || pattern[i] == '^');
    if (negate) ++i;
    size_t first = i;
    bool matched = false;
    unsigned char u = static_cast<unsigned char>(Fold(c, ignoreCase));
    while (i < pattern.size() && (pattern[i] != ']' || i == first)) {
        unsigned char low = static_cast<unsigned char>(Fold(pattern[i], ignoreCase));
        unsigned char high = low;
        if (i + 2 < pattern.size() && pattern[i + 1] == '-' && pattern[i + 2] != ']') {
            high = static_cast<unsigned char>(Fold(pattern[i + 2], ignoreCase));
            i += 2;
        }
        if (u >= low && u <= high) matched = true;
        ++i;
    }
    if (i >= pattern.size()) return SetResult::NotASet;
    next = i + 1;
    return matched != negate ? SetResult::Match : SetResult::NoMatch;
}

// Whether pattern[p] matches name character c; advances p when it does.
bool MatchOne(const std::string& pattern, size_t& p, char c, bool ignoreCase) {
    if (p >= pattern.size()) return false;
    char pc = pattern[p];
    if (pc == '?') {
        ++p;
        return true;
    }
    if (pc == '[') {
        size_t next = 0;
        SetResult result = MatchSet(pattern, p, c, ignoreCase, next);
        if (result == SetResult::Match) {
            p = next;
            return true;
        }
        if (result == SetResult::NoMatch) return false;
    }
    if (Fold(pc, ignoreCase) != Fold(c, ignoreCase)) return false;
    ++p;
    return true;
}

}  // namespace

bool MemberPatternMatch(const std::string& pattern, const std::string& name, bool ignoreCase) {
    // One backtrack point, the last '*' seen: a later '*' can absorb any
    // longer run an earlier one could, so this is exact and never recursive.
    size_t p = 0, n = 0;
    size_t starP = std::string::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
            continue;
        }
        if (MatchOne(pattern, p, name[n], ignoreCase)) {
            ++n;
            continue;
        }
        if (starP == std::string::npos) return false;
        p = starP + 1;
        n = ++starN;
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

}  // namespace zipcore
