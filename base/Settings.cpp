#include "Settings.h"

#include <windows.h>

#include <cwctype>
#include <vector>

#include "Handles.h"
#include "TextCase.h"

namespace bralto {

const wchar_t kSettingsApplication[] = L"Quenor App Bralto";

namespace {

std::wstring SectionPath(const std::wstring& section) {
    return std::wstring(L"Software\\") + kSettingsApplication + L"\\" + section;
}

std::wstring Trim(const std::wstring& text) {
    size_t first = text.find_first_not_of(L" \t\r\n");
    if (first == std::wstring::npos) return L"";
    size_t last = text.find_last_not_of(L" \t\r\n");
    return text.substr(first, last - first + 1);
}

int16_t Int16Setting(const wchar_t* section, const wchar_t* key, int16_t defaultValue) {
    std::wstring text = GetSetting(section, key, std::to_wstring(defaultValue));
    return SettingTextAsInt16(text).value_or(defaultValue);
}

void SaveInt16Setting(const wchar_t* section, const wchar_t* key, int16_t value) {
    SaveSetting(section, key, std::to_wstring(value));
}

}  // namespace

std::wstring GetSetting(const std::wstring& section, const std::wstring& key, const std::wstring& defaultValue) {
    UniqueHKey hkey;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, SectionPath(section).c_str(), 0, KEY_QUERY_VALUE, hkey.put()) != ERROR_SUCCESS)
        return defaultValue;
    DWORD type = 0;
    DWORD bytes = 0;
    if (RegQueryValueExW(hkey.get(), key.c_str(), nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS)
        return defaultValue;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return defaultValue;
    std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1, L'\0');
    DWORD size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (RegQueryValueExW(hkey.get(), key.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) !=
        ERROR_SUCCESS)
        return defaultValue;
    return std::wstring(buffer.data());
}

bool SaveSetting(const std::wstring& section, const std::wstring& key, const std::wstring& value) {
    UniqueHKey hkey;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, SectionPath(section).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE, nullptr, hkey.put(), nullptr) != ERROR_SUCCESS)
        return false;
    DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(hkey.get(), key.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), bytes) ==
           ERROR_SUCCESS;
}

bool DeleteSetting(const std::wstring& section, const std::wstring& key) {
    UniqueHKey hkey;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, SectionPath(section).c_str(), 0, KEY_SET_VALUE, hkey.put()) != ERROR_SUCCESS)
        return false;
    return RegDeleteValueW(hkey.get(), key.c_str()) == ERROR_SUCCESS;
}

bool SettingTextAsBoolean(const std::wstring& text) {
    std::wstring word = Lower(Trim(text));
    if (word == L"true" || word == L"vrai") return true;
    if (word == L"false" || word == L"faux") return false;
    if (word.empty()) return false;
    wchar_t* end = nullptr;
    double number = std::wcstod(word.c_str(), &end);
    if (end == word.c_str() || *end != L'\0') return false;
    return number != 0.0;
}

std::optional<int16_t> SettingTextAsInt16(const std::wstring& text) {
    std::wstring number = Trim(text);
    if (number.empty()) return std::nullopt;
    size_t digits = (number[0] == L'-' || number[0] == L'+') ? 1 : 0;
    if (digits == number.size()) return std::nullopt;
    long long value = 0;
    for (size_t i = digits; i < number.size(); ++i) {
        if (number[i] < L'0' || number[i] > L'9') return std::nullopt;
        value = value * 10 + (number[i] - L'0');
        if (value > 100000) return std::nullopt;
    }
    if (number[0] == L'-') value = -value;
    if (value < INT16_MIN || value > INT16_MAX) return std::nullopt;
    return static_cast<int16_t>(value);
}

bool Settings::RegisterDeclined() { return SettingTextAsBoolean(GetSetting(L"StartUp", L"Register", L"False")); }

void Settings::SetRegisterDeclined(bool declined) { SaveSetting(L"StartUp", L"Register", declined ? L"1" : L"0"); }

std::optional<WindowPlacementTwips> Settings::MainWindowPlacement() {
    std::wstring height = GetSetting(L"StartUp", L"Height", L"");
    if (height.empty()) return std::nullopt;
    auto h = SettingTextAsInt16(height);
    auto w = SettingTextAsInt16(GetSetting(L"StartUp", L"Width", L""));
    auto t = SettingTextAsInt16(GetSetting(L"StartUp", L"Top", L""));
    auto l = SettingTextAsInt16(GetSetting(L"StartUp", L"Left", L""));
    if (!h || !w || !t || !l) return std::nullopt;
    return WindowPlacementTwips{*h, *w, *t, *l};
}

void Settings::SaveMainWindowPlacement(long height, long width, long top, long left) {
    SaveSetting(L"StartUp", L"Height", std::to_wstring(height));
    SaveSetting(L"StartUp", L"Width", std::to_wstring(width));
    SaveSetting(L"StartUp", L"Top", std::to_wstring(top));
    SaveSetting(L"StartUp", L"Left", std::to_wstring(left));
}

int16_t Settings::AddingUsePath() { return Int16Setting(L"Adding", L"UsePath", 0); }
void Settings::SetAddingUsePath(int16_t value) { SaveInt16Setting(L"Adding", L"UsePath", value); }
int16_t Settings::AddingView() { return Int16Setting(L"Adding", L"View", 3); }
void Settings::SetAddingView(int16_t value) { SaveInt16Setting(L"Adding", L"View", value); }
std::wstring Settings::AddingFolder() { return GetSetting(L"Adding", L"Folder", L"C:"); }
void Settings::SetAddingFolder(const std::wstring& folder) { SaveSetting(L"Adding", L"Folder", folder); }

std::wstring Settings::ExtractingFolder() { return GetSetting(L"Extracting", L"Folder", L"C:"); }
void Settings::SetExtractingFolder(const std::wstring& folder) { SaveSetting(L"Extracting", L"Folder", folder); }
int16_t Settings::ExtractingOver() { return Int16Setting(L"Extracting", L"Over", 0); }
void Settings::SetExtractingOver(int16_t value) { SaveInt16Setting(L"Extracting", L"Over", value); }
int16_t Settings::ExtractingNewer() { return Int16Setting(L"Extracting", L"Newer", 0); }
void Settings::SetExtractingNewer(int16_t value) { SaveInt16Setting(L"Extracting", L"Newer", value); }
int16_t Settings::ExtractingExistingNewer() { return Int16Setting(L"Extracting", L"ExistingNewer", 0); }
void Settings::SetExtractingExistingNewer(int16_t value) { SaveInt16Setting(L"Extracting", L"ExistingNewer", value); }
int16_t Settings::ExtractingUsePath() { return Int16Setting(L"Extracting", L"UsePath", 0); }
void Settings::SetExtractingUsePath(int16_t value) { SaveInt16Setting(L"Extracting", L"UsePath", value); }
int16_t Settings::ExtractingCommon() { return Int16Setting(L"Extracting", L"Common", 0); }
void Settings::SetExtractingCommon(int16_t value) { SaveInt16Setting(L"Extracting", L"Common", value); }

std::wstring Settings::RecentArchive(int slot) { return GetSetting(L"MRU", std::to_wstring(slot), L""); }
void Settings::SetRecentArchive(int slot, const std::wstring& path) {
    SaveSetting(L"MRU", std::to_wstring(slot), path);
}

}  // namespace bralto
