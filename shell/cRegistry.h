// Bralto's one class for the Windows registry: one current value addressed by
// ClassKey, SectionKey and ValueKey; single values read and written, keys
// tested, created and deleted, values and sub-keys enumerated, and a whole key
// tree written to a REGEDIT4 file (the association's undo file).
//
// Write operations report failures by throwing bralto::AutomationError with
// source "<exe>.cRegistry"; the value getter never throws.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace bralto {

// A registry value as the class hands it over: nothing, a text, a 16- or
// 32-bit integer, or bytes.
using RegistryValue = std::variant<std::monostate, std::wstring, int16_t, int32_t, std::vector<uint8_t>>;

constexpr long kRegistryError = 26001;
constexpr long kRegistryWriteError = static_cast<long>(0x800469A9);

class cRegistry {
public:
    static constexpr uint32_t kClassesRoot = 0x80000000u;
    static constexpr uint32_t kCurrentUser = 0x80000001u;
    static constexpr uint32_t kLocalMachine = 0x80000002u;
    static constexpr uint32_t kUsers = 0x80000003u;

    uint32_t ClassKey() const { return classKey_; }
    void SetClassKey(uint32_t key) { classKey_ = key; }
    const std::wstring& SectionKey() const { return sectionKey_; }
    void SetSectionKey(const std::wstring& section) { sectionKey_ = section; }
    const std::wstring& ValueKey() const { return valueKey_; }
    void SetValueKey(const std::wstring& name) { valueKey_ = name; }
    // 1 string, 2 expandable string, 3 binary, 4 number, 5 big-endian number, 7 multi-string.
    DWORD ValueType() const { return valueType_; }
    void SetValueType(DWORD type) { valueType_ = type; }
    const RegistryValue& Default() const { return default_; }
    void SetDefault(RegistryValue value) { default_ = std::move(value); }

    // The current value; `Default()` when it cannot be read. Sets ValueType
    // to the type read.
    RegistryValue Value();
    // Writes the current value as ValueType says (text written as an
    // expandable string when it holds a %...% pair).
    void SetValue(const RegistryValue& value);
    const RegistryValue& LastWrittenValue() const { return lastWritten_; }

    bool KeyExists() const;
    bool CreateKey();
    bool DeleteKey();
    // Deletes SectionKey with every key below it; raises like DeleteKey.
    bool DeleteKeyTree();
    bool DeleteValue();
    // Names in the platform's order; false (and no names) when the key
    // cannot be opened.
    bool EnumerateValues(std::vector<std::wstring>& names) const;
    bool EnumerateSections(std::vector<std::wstring>& names) const;

    // Writes SectionKey and every key below it, breadth first, to `path` in
    // REGEDIT4 form, in the system code page. False when any step fails.
    bool ExportToRegFile(const std::wstring& path);

    // Registers a file type for an executable under HKEY_CLASSES_ROOT.
    struct Association {
        std::wstring exePath, className, classDescription, extension;
        std::wstring openText;
        bool supportPrint = false;
        std::wstring printText;
        bool supportNew = false;
        std::wstring newText;
        bool supportInstall = false;
        std::wstring installText;
        int defaultIcon = 0;
    };
    void CreateEXEAssociation(const Association& association);
    // Further verbs of an existing class, as Name, Text, Command triples.
    void CreateAdditionalEXEAssociations(const std::wstring& className, const std::vector<std::wstring>& items);

private:
    HKEY Root() const;
    [[noreturn]] void Raise(long number, const std::wstring& description) const;
    std::wstring ClassKeyText() const;
    std::wstring ExportValueLine(const std::wstring& name);
    void WriteString(const std::wstring& section, const std::wstring& name, const std::wstring& text);

    uint32_t classKey_ = kClassesRoot;
    std::wstring sectionKey_;
    std::wstring valueKey_;
    DWORD valueType_ = REG_SZ;
    RegistryValue default_;
    RegistryValue lastWritten_;
};

// The text of a value as the export and the error messages show it.
std::wstring RegistryValueText(const RegistryValue& value);

}  // namespace bralto
