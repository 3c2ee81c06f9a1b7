// Whether to recommend the separate sheet-printing program at start-up: its settings file
// velnor.ini begins with a known marker line when it is installed alongside. Plain files
// only; showing the notice and any file error is left to Form1.
#pragma once

#include "file_error.h"

#include <filesystem>
#include <optional>
#include <string_view>

namespace numir {

inline constexpr const char* companionSettingsFileName = "velnor.ini";
inline constexpr std::string_view companionMarkerLine = "support@velnor.example";
inline constexpr const char* companionNoticeTitle = "オススメ";
inline constexpr const char* companionNoticePrompt =
    "数字選択式宝くじシート印刷ソフトと一緒に使ってね";

struct CompanionCheck {
    bool noticeDue = true;
    std::optional<FileError> error; // the settings file could not be made or read
};

// Creates the settings file empty when it is missing; the notice is due unless its first
// line (ended by CR LF, LF or CR) is exactly the marker. A file that cannot be created or
// read counts as not holding the marker.
CompanionCheck checkCompanion(const std::filesystem::path& settingsFile);

} // namespace numir
