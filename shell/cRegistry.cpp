#include "cRegistry.h"

#include <cstdio>

#include "Handles.h"
#include "AutomationError.h"
#include "Texts.h"

namespace bralto {

namespace {

constexpr REGSAM kFullAccess = 0x3F;  // KEY_ALL_ACCESS without the standard rights

std::wstring HexByte(uint8_t b) {
    wchar_t text[3];
    swprintf(text, 3, L"%02x", b);
    return text;
}

std::wstring Hex8(uint32_t n) {
    wchar_t text[9];
    swprintf(text, 9, L"%08x", n);
    return text;
}

std::wstring EscapeForRegFile(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text) {
        if (c == L'\\')
            out += L"\\\\";
        else if (c == L'"')
            out += L"\\\"";
        else
            out += c;
    }
    return out;
}

// An expandable string holds a "%", and another "%" at least two characters on.
bool LooksExpandable(const std::wstring& text) {
    size_t first = text.find(L'%');
    return first != std::wstring::npos && text.find(L'%', first + 2) != std::wstring::npos;
}

std::wstring ExpandEnvironment(const std::wstring& text) {
    DWORD needed = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
    if (needed == 0) return text;
    std::wstring out(needed, L'\0');
    DWORD written = ExpandEnvironmentStringsW(text.c_str(), out.data(), needed);
    out.resize(written > 0 ? written - 1 : 0);
    return out;
}

std::string ToSystemCodePage(const std::wstring& text) {
    if (text.empty()) return {};
    int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(n, '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring NowAsText() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t date[64] = {}, time[64] = {};
    GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &now, nullptr, date, 64);
    GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &now, nullptr, time, 64);
    return std::wstring(date) + L" " + time;
}

std::wstring QuotedIfNeeded(const std::wstring& path) {
    if (!path.empty() && path.front() == L'"') return path;
    return L"\"" + path + L"\"";
}

}  // namespace

std::wstring RegistryValueText(const RegistryValue& value) {
    if (auto* text = std::get_if<std::wstring>(&value)) return *text;
    if (auto* n16 = std::get_if<int16_t>(&value)) return std::to_wstring(*n16);
    if (auto* n32 = std::get_if<int32_t>(&value)) return std::to_wstring(*n32);
    return L"";
}

HKEY cRegistry::Root() const { return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(classKey_))); }

std::wstring cRegistry::ClassKeyText() const { return std::to_wstring(static_cast<int32_t>(classKey_)); }

void cRegistry::Raise(long number, const std::wstring& description) const {
    throw AutomationError(number, ExecutableBaseName() + L".cRegistry", description);
}

RegistryValue cRegistry::Value() {
    UniqueHKey key;
    if (RegOpenKeyExW(Root(), sectionKey_.c_str(), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) return default_;
    DWORD type = 0, size = 0;
    LONG rc = RegQueryValueExW(key.get(), valueKey_.c_str(), nullptr, &type, nullptr, &size);
    if (rc != ERROR_SUCCESS && rc != ERROR_MORE_DATA) return default_;
    valueType_ = type;
    std::vector<uint8_t> data(size + sizeof(wchar_t), 0);
    DWORD read = size;
    if (RegQueryValueExW(key.get(), valueKey_.c_str(), nullptr, &type, data.data(), &read) != ERROR_SUCCESS)
        return default_;
    switch (type) {
    case REG_SZ:
    case REG_MULTI_SZ:
    case REG_EXPAND_SZ: {
        // Text up to its terminating NUL; a multi-string keeps its inner NULs.
        std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), read / sizeof(wchar_t));
        while (!text.empty() && text.back() == L'\0') text.pop_back();
        if (type == REG_MULTI_SZ) text += L'\0';
        return type == REG_EXPAND_SZ ? ExpandEnvironment(text) : text;
    }
    case REG_DWORD:
        return static_cast<int32_t>(data[0] | data[1] << 8 | data[2] << 16 | static_cast<uint32_t>(data[3]) << 24);
    case REG_DWORD_BIG_ENDIAN:
        return static_cast<int32_t>(data[3] | data[2] << 8 | data[1] << 16 | static_cast<uint32_t>(data[0]) << 24);
    default: data.resize(read); return data;
    }
}

void cRegistry::SetValue(const RegistryValue& value) {
    const std::wstring description = L"Failed to set registry value Key: '" + ClassKeyText() + L"',Section: '" +
                                     sectionKey_ + L"',Key: '" + valueKey_ + L"' to value: '" +
                                     RegistryValueText(value) + L"'";
    UniqueHKey key;
    if (RegCreateKeyExW(Root(), sectionKey_.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, kFullAccess, nullptr,
                        key.put(), nullptr) != ERROR_SUCCESS)
        Raise(kRegistryError, description);

    LONG rc = ERROR_SUCCESS;
    bool written = true;
    switch (valueType_) {
    case REG_SZ:
    case REG_EXPAND_SZ: {
        std::wstring text = RegistryValueText(value);
        DWORD type = LooksExpandable(text) ? REG_EXPAND_SZ : REG_SZ;
        rc = RegSetValueExW(key.get(), valueKey_.c_str(), 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                            static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
        break;
    }
    case REG_BINARY: {
        auto* bytes = std::get_if<std::vector<uint8_t>>(&value);
        if (!bytes) Raise(kRegistryError, description);
        rc = RegSetValueExW(key.get(), valueKey_.c_str(), 0, REG_BINARY, bytes->data(),
                            static_cast<DWORD>(bytes->size()));
        break;
    }
    case REG_DWORD:
    case REG_DWORD_BIG_ENDIAN: {
        int32_t number = 0;
        if (auto* n16 = std::get_if<int16_t>(&value))
            number = *n16;
        else if (auto* n32 = std::get_if<int32_t>(&value))
            number = *n32;
        else
            written = false;  // only integers are written as numbers
        if (written)
            rc = RegSetValueExW(key.get(), valueKey_.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                                sizeof(number));
        break;
    }
    default: rc = ERROR_INVALID_DATA; break;
    }
    if (rc != ERROR_SUCCESS) Raise(kRegistryWriteError, description);
    if (written) lastWritten_ = value;
}

bool cRegistry::KeyExists() const {
    UniqueHKey key;
    return RegOpenKeyExW(Root(), sectionKey_.c_str(), 0, KEY_QUERY_VALUE, key.put()) == ERROR_SUCCESS;
}

bool cRegistry::CreateKey() {
    UniqueHKey key;
    if (RegCreateKeyExW(Root(), sectionKey_.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, kFullAccess, nullptr,
                        key.put(), nullptr) != ERROR_SUCCESS)
        Raise(kRegistryError, L"Failed to create registry Key: '" + sectionKey_);
    return true;
}

bool cRegistry::DeleteKey() {
    if (RegDeleteKeyW(Root(), sectionKey_.c_str()) != ERROR_SUCCESS)
        Raise(kRegistryError, L"Failed to delete registry Key: '" + ClassKeyText() + L"',Section: '" + sectionKey_);
    return true;
}

bool cRegistry::DeleteKeyTree() {
    if (RegDeleteTreeW(Root(), sectionKey_.c_str()) != ERROR_SUCCESS || KeyExists())
        Raise(kRegistryError, L"Failed to delete registry Key: '" + ClassKeyText() + L"',Section: '" + sectionKey_);
    return true;
}

bool cRegistry::DeleteValue() {
    UniqueHKey key;
    if (RegOpenKeyExW(Root(), sectionKey_.c_str(), 0, kFullAccess, key.put()) != ERROR_SUCCESS)
        Raise(kRegistryError,
              L"Failed to open key '" + ClassKeyText() + L"',Section: '" + sectionKey_ + L"' for delete access");
    if (RegDeleteValueW(key.get(), valueKey_.c_str()) != ERROR_SUCCESS)
        Raise(kRegistryError, L"Failed to delete registry Key: '" + ClassKeyText() + L"',Section: '" + sectionKey_ +
                                  L"',Key: '" + valueKey_);
    return true;
}

bool cRegistry::EnumerateValues(std::vector<std::wstring>& names) const {
    names.clear();
    UniqueHKey key;
    if (RegOpenKeyExW(Root(), sectionKey_.c_str(), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) return false;
    for (DWORD i = 0;; ++i) {
        wchar_t name[16384];
        DWORD length = 16384;
        if (RegEnumValueW(key.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name, length);
    }
    return true;
}

bool cRegistry::EnumerateSections(std::vector<std::wstring>& names) const {
    names.clear();
    UniqueHKey key;
    if (RegOpenKeyExW(Root(), sectionKey_.c_str(), 0, KEY_ENUMERATE_SUB_KEYS, key.put()) != ERROR_SUCCESS) return false;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD length = 256;
        if (RegEnumKeyExW(key.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name, length);
    }
    return true;
}

std::wstring cRegistry::ExportValueLine(const std::wstring& name) {
    valueKey_ = name;
    RegistryValue value = Value();
    std::wstring line = name.empty() ? L"@=" : L"\"" + name + L"\"=";
    if (valueType_ == REG_SZ || valueType_ == REG_EXPAND_SZ) {
        return line + L"\"" + EscapeForRegFile(RegistryValueText(value)) + L"\"";
    }
    if (valueType_ == REG_DWORD || valueType_ == REG_DWORD_BIG_ENDIAN) {
        int32_t n = std::holds_alternative<int32_t>(value) ? std::get<int32_t>(value) : 0;
        return line + L"dword:" + Hex8(static_cast<uint32_t>(n));
    }
    // Bytes: binary and every other type. A multi-string goes out as its
    // bytes too: its inner NULs cannot be written as a quoted text line.
    std::vector<uint8_t> bytes;
    if (auto* b = std::get_if<std::vector<uint8_t>>(&value)) {
        bytes = *b;
        line += L"hex:";
    } else {
        std::string text = ToSystemCodePage(RegistryValueText(value));
        bytes.assign(text.begin(), text.end());
        bytes.push_back(0);
        line += L"hex(7):";
    }
    std::wstring result;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (line.size() > 75) {
            result += line + L"\\\r\n";
            line = L"  ";
        }
        line += HexByte(bytes[i]);
        if (i + 1 < bytes.size()) line += L",";
    }
    return result + line;
}

bool cRegistry::ExportToRegFile(const std::wstring& path) {
    const std::wstring savedSection = sectionKey_;
    const std::wstring savedValue = valueKey_;
    const DWORD savedType = valueType_;
    std::wstring prefix;
    switch (classKey_) {
    case kClassesRoot: prefix = L"[HKEY_CLASSES_ROOT\\"; break;
    case kCurrentUser: prefix = L"[HKEY_CURRENT_USER\\"; break;
    case kLocalMachine: prefix = L"[HKEY_LOCAL_MACHINE\\"; break;
    case kUsers: prefix = L"[HKEY_USERS\\"; break;
    default: break;
    }

    bool ok = KeyExists();
    std::wstring text;
    if (ok) {
        std::vector<std::wstring> keys{savedSection};
        for (size_t i = 0; i < keys.size(); ++i) {
            sectionKey_ = keys[i];
            std::vector<std::wstring> subKeys;
            EnumerateSections(subKeys);
            for (const auto& sub : subKeys) keys.push_back(keys[i] + L"\\" + sub);
        }
        text = L"REGEDIT4\r\n\r\n" + std::wstring(shell_texts::kExportGeneratedBy) + ExecutableBaseName() +
               shell_texts::kExportGeneratedOn + NowAsText() + L"\r\n\r\n";
        for (const auto& k : keys) {
            sectionKey_ = k;
            text += prefix + k + L"]\r\n";
            std::vector<std::wstring> names;
            EnumerateValues(names);
            for (const auto& name : names) text += ExportValueLine(name) + L"\r\n";
            text += L"\r\n";
        }
    }
    sectionKey_ = savedSection;
    valueKey_ = savedValue;
    valueType_ = savedType;
    if (!ok) return false;

    // Written beside the target and moved into place: a failed export never
    // leaves a truncated undo file under the final name.
    const std::string bytes = ToSystemCodePage(text);
    const std::wstring temporary = path + L".tmp";
    {
        UniqueKernelHandle file(
            CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return false;
        DWORD written = 0;
        if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
            written != bytes.size()) {
            file.reset();
            DeleteFileW(temporary.c_str());
            return false;
        }
    }
    if (!MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileW(temporary.c_str());
        return false;
    }
    return true;
}

void cRegistry::WriteString(const std::wstring& section, const std::wstring& name, const std::wstring& text) {
    sectionKey_ = section;
    valueKey_ = name;
    valueType_ = REG_SZ;
    SetValue(text);
}

void cRegistry::CreateEXEAssociation(const Association& a) {
    const std::wstring exe = QuotedIfNeeded(a.exePath);
    const uint32_t savedClass = classKey_;
    classKey_ = kClassesRoot;
    const std::wstring& cls = a.className;
    WriteString(L"." + a.extension, L"", cls);
    WriteString(cls, L"", a.classDescription);
    WriteString(cls + L"\\shell\\open", L"", a.openText.empty() ? L"&Open" : a.openText);
    WriteString(cls + L"\\shell\\open\\command", L"", exe + L" \"%1\"");
    if (a.supportPrint) {
        WriteString(cls + L"\\shell\\print", L"", a.printText.empty() ? L"&Print" : a.printText);
        WriteString(cls + L"\\shell\\print\\command", L"", exe + L" /p \"%1\"");
    }
    if (a.supportInstall) {
        WriteString(cls + L"\\shell\\add", L"",
                    a.installText.empty() ? L"&Install " + a.classDescription : a.installText);
        WriteString(cls + L"\\shell\\add\\command", L"", exe + L" /a \"%1\"");
    }
    if (a.supportNew) {
        WriteString(cls + L"\\shell\\new", L"", a.newText.empty() ? L"&New" : a.newText);
        WriteString(cls + L"\\shell\\new\\command", L"", exe + L" /n \"%1\"");
    }
    WriteString(cls + L"\\DefaultIcon", L"", a.exePath + L"," + std::to_wstring(a.defaultIcon));
    valueKey_.clear();
    classKey_ = savedClass;
}

void cRegistry::CreateAdditionalEXEAssociations(const std::wstring& className, const std::vector<std::wstring>& items) {
    if (items.empty() || items.size() % 3 != 0)
        Raise(kRegistryError,
              L"Invalid parameter list passed to CreateAdditionalEXEAssociations - expected "
              L"Name/Text/Command");
    const uint32_t savedClass = classKey_;
    classKey_ = kClassesRoot;
    sectionKey_ = className;
    if (!KeyExists()) {
        classKey_ = savedClass;
        Raise(kRegistryError, L"Error - attempt to create additional associations before class defined.");
    }
    for (size_t i = 0; i < items.size(); i += 3) {
        WriteString(className + L"\\shell\\" + items[i], L"", items[i + 1]);
        WriteString(className + L"\\shell\\" + items[i] + L"\\command", L"", items[i + 2]);
    }
    valueKey_.clear();
    classKey_ = savedClass;
}

}  // namespace bralto
