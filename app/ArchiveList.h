// The rows of the archive list lisFich, built from the member directory of
// an unzip object, with the shell's display and type names and the icon
// cache imaList. The list view shows the rows on demand (owner data), so
// filling, sorting and showing stay fast for archives of any size.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <map>
#include <string>
#include <vector>

#include "KeyedImageList.h"

namespace bralto {

class cUnzip;

constexpr int kListColumns = 8;

struct ArchiveRow {
    std::wstring key;                             // "X" & member index
    std::array<std::wstring, kListColumns> text;  // column 1 and sub-items 1 to 7
    int icon = 0;                                 // index in imaList
    std::wstring tag;                             // member name as stored
    long index = 0;                               // 1-based index in the directory
};

// What the shell says about a member name, asked once per cache key (the
// extension with its letter case, or the whole name when it has none).
struct ShellNameInfo {
    bool hidesExtension = false;  // the display name lacks the extension
    std::wstring typeName;
    int icon = 0;
};

// imaList: small icons keyed by extension (letter case kept; a name
// without extension is its own key). Never cleared while the program runs.
class IconCache {
public:
    IconCache();
    IconCache(const IconCache&) = delete;
    IconCache& operator=(const IconCache&) = delete;

    HIMAGELIST ImageList() const { return images_.get(); }
    // The shell's answers for `name`, asking the shell on first use of its key.
    const ShellNameInfo& InfoFor(const std::wstring& name);
    size_t KeyCount() const { return byKey_.size(); }
    bool HasKey(const std::wstring& key) const { return byKey_.count(key) != 0; }

private:
    KeyedImageList images_;
    std::map<std::wstring, ShellNameInfo> byKey_;
};

// The cache key of a member name: its extension, or the name itself.
std::wstring IconKeyOf(const std::wstring& name);

// The list text of a member name: the shell hides known extensions, the
// list always shows them (in lower case when the shell had hidden them).
std::wstring DisplayNameOf(const std::wstring& name, const ShellNameInfo& info);

// One row per member, in directory order. Every member is listed, however
// many the archive holds.
std::vector<ArchiveRow> BuildArchiveRows(const cUnzip& unzip, IconCache& icons);

// Sorts rows by the displayed text of `column` (0-based), case-insensitive,
// descending when asked. Rows of equal text keep their relative order.
void SortArchiveRows(std::vector<ArchiveRow>& rows, int column, bool descending);

}  // namespace bralto
