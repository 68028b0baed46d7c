#include "ArchiveList.h"

#include <shellapi.h>

#include <algorithm>
#include <cwctype>

#include "Common.h"
#include "Handles.h"
#include "Texts.h"
#include "cUnzip.h"
#include "TextCase.h"

namespace bralto {

namespace {

bool EndsWithNoCase(const std::wstring& text, const std::wstring& end) {
    return text.size() >= end.size() && Lower(text.substr(text.size() - end.size())) == Lower(end);
}

}  // namespace

IconCache::IconCache() { images_.Make(GetSystemMetrics(SM_CXSMICON)); }

std::wstring IconKeyOf(const std::wstring& name) {
    std::wstring key = FileExtension(name);
    return key.empty() ? name : key;
}

const ShellNameInfo& IconCache::InfoFor(const std::wstring& name) {
    const std::wstring key = IconKeyOf(name);
    auto found = byKey_.find(key);
    if (found != byKey_.end()) return found->second;

    SHFILEINFOW record = {};
    SHGetFileInfoW(name.c_str(), 0, &record, sizeof(record),
                   SHGFI_ICON | SHGFI_SMALLICON | SHGFI_DISPLAYNAME | SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES);
    UniqueHIcon icon(record.hIcon);  // the image list keeps its own copy
    ShellNameInfo info;
    const std::wstring ext = FileExtension(name);
    const std::wstring display = StripAtNul(std::wstring(record.szDisplayName, MAX_PATH));
    info.hidesExtension = !ext.empty() && !EndsWithNoCase(display, ext);
    info.typeName = StripAtNul(std::wstring(record.szTypeName, 80));
    info.icon = images_.Add(key, icon.get());
    return byKey_.emplace(key, std::move(info)).first->second;
}

std::wstring DisplayNameOf(const std::wstring& name, const ShellNameInfo& info) {
    if (!info.hidesExtension) return name;
    const std::wstring ext = FileExtension(name);
    return name.substr(0, name.size() - ext.size()) + Lower(ext);
}

std::vector<ArchiveRow> BuildArchiveRows(const cUnzip& unzip, IconCache& icons) {
    const long count = unzip.FileCount();
    std::vector<ArchiveRow> rows(static_cast<size_t>(count));
    for (long i = 1; i <= count; ++i) {
        ArchiveRow& row = rows[static_cast<size_t>(i - 1)];
        const std::wstring name = unzip.Filename(i);
        const ShellNameInfo& info = icons.InfoFor(name);
        row.index = i;
        row.key = L"X" + std::to_wstring(i);
        row.text[0] = DisplayNameOf(name, info);
        row.text[1] = unzip.FileEncrypted(i) ? texts::kEncryptedMark : L"";
        row.text[2] = info.typeName;
        row.text[3] = FormatListDate(unzip.FileDate(i));
        row.text[4] = FormatGroupedNumber(unzip.FilePackedSize(i));
        row.text[5] = std::to_wstring(unzip.FileCompressionRatio(i)) + L"%";
        row.text[6] = FormatGroupedNumber(unzip.FileSize(i));
        row.text[7] = unzip.FileDirectory(i);
        row.icon = info.icon;
        row.tag = name;
    }
    return rows;
}

void SortArchiveRows(std::vector<ArchiveRow>& rows, int column, bool descending) {
    if (column < 0 || column >= kListColumns) return;
    std::stable_sort(rows.begin(), rows.end(), [column, descending](const ArchiveRow& a, const ArchiveRow& b) {
        const std::wstring& x = descending ? b.text[column] : a.text[column];
        const std::wstring& y = descending ? a.text[column] : b.text[column];
        return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, x.c_str(), static_cast<int>(x.size()), y.c_str(),
                              static_cast<int>(y.size())) == CSTR_LESS_THAN;
    });
}

}  // namespace bralto
