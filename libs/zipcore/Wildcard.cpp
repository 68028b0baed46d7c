#include "Wildcard.h"

namespace zipcore {

namespace {

char Fold(char c, bool ignoreCase) {
    if (ignoreCase && c >= 'A' && c <= 'Z') return static_cast<char>(c - 'A' + 'a');
    return c;
}

}  // namespace

bool WildcardMatch(const std::string& pattern, const std::string& text, bool ignoreCase) {
    // Greedy matching with one backtrack point, the last '*' seen: linear
    // in practice and never recursive, whatever the pattern.
    size_t p = 0, t = 0;
    size_t starP = std::string::npos, starT = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starT = t;
        } else if (p < pattern.size() &&
                   (pattern[p] == '?' || Fold(pattern[p], ignoreCase) == Fold(text[t], ignoreCase))) {
            ++p;
            ++t;
        } else if (starP != std::string::npos) {
            p = starP + 1;
            t = ++starT;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

bool DosMaskMatch(const std::string& pattern, const std::string& text) {
    if (WildcardMatch(pattern, text, true)) return true;
    size_t size = pattern.size();
    return size >= 2 && pattern.compare(size - 2, 2, ".*") == 0 &&
           WildcardMatch(pattern.substr(0, size - 2), text, true);
}

bool HasWildcards(const std::string& text) { return text.find_first_of("*?") != std::string::npos; }

}  // namespace zipcore
