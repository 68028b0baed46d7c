// The user's settings: per user, under
// HKEY_CURRENT_USER\Software\Quenor App Bralto\<section>, every value a string.
// A missing value reads as the caller's default. The typed accessors below
// are the only place that knows the sections, keys and defaults.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace bralto {

extern const wchar_t kSettingsApplication[];  // "Quenor App Bralto"

// Raw access. GetSetting never fails: anything unreadable is `defaultValue`.
// SaveSetting returns false when the value could not be written.
std::wstring GetSetting(const std::wstring& section, const std::wstring& key, const std::wstring& defaultValue);
bool SaveSetting(const std::wstring& section, const std::wstring& key, const std::wstring& value);
bool DeleteSetting(const std::wstring& section, const std::wstring& key);

// Conversions of stored text, as the program has always read it.
// A Boolean is "True"/"False" (any case, French words accepted) or a number
// (non-zero is true); any other text reads as false.
bool SettingTextAsBoolean(const std::wstring& text);
// A 16-bit integer in decimal, blanks around it allowed; empty when the text
// is not a number or lies outside -32768..32767.
std::optional<int16_t> SettingTextAsInt16(const std::wstring& text);

// Main window placement in twips.
struct WindowPlacementTwips {
    int16_t height = 0;
    int16_t width = 0;
    int16_t top = 0;
    int16_t left = 0;
};

class Settings {
public:
    // "StartUp"/"Register": true once the user asked not to be offered the
    // .zip association at start-up.
    static bool RegisterDeclined();
    static void SetRegisterDeclined(bool declined);

    // Empty when no placement was saved, or when a saved value is unusable
    // (not a number, outside the 16-bit range): the window then opens at its
    // default place rather than failing.
    static std::optional<WindowPlacementTwips> MainWindowPlacement();
    // Values are trimmed decimal text; out-of-range values are saved as they
    // are and simply not restored next time.
    static void SaveMainWindowPlacement(long height, long width, long top, long left);

    static int16_t AddingUsePath();
    static void SetAddingUsePath(int16_t value);
    static int16_t AddingView();
    static void SetAddingView(int16_t value);
    static std::wstring AddingFolder();
    static void SetAddingFolder(const std::wstring& folder);

    static std::wstring ExtractingFolder();
    static void SetExtractingFolder(const std::wstring& folder);
    static int16_t ExtractingOver();
    static void SetExtractingOver(int16_t value);
    static int16_t ExtractingNewer();
    static void SetExtractingNewer(int16_t value);
    static int16_t ExtractingExistingNewer();
    static void SetExtractingExistingNewer(int16_t value);
    static int16_t ExtractingUsePath();
    static void SetExtractingUsePath(int16_t value);
    static int16_t ExtractingCommon();
    static void SetExtractingCommon(int16_t value);

    // Recent archives, slot 1 (newest) to 4; empty text when unset.
    static constexpr int kRecentCount = 4;
    static std::wstring RecentArchive(int slot);
    static void SetRecentArchive(int slot, const std::wstring& path);
};

}  // namespace bralto
