// Whether to recommend the separate sheet-printing program at start-up: its settings file
// velnor.ini begins with a known marker line when it is installed alongside. Plain files
// only; showing the notice is left to Form1.
#pragma once

#include "file/seen_folder.h"

#include <string_view>

namespace numir {

inline constexpr const char* companionSettingsFileName = "velnor.ini";
inline constexpr std::string_view companionMarkerLine = "support@velnor.example";

// Creates the settings file empty when it is missing; the notice is due unless its first
// line (ended by CR LF, LF or CR) is exactly the marker. The file belongs to the printing
// program: one that cannot be created or read only means the marker is not there, which the
// notice already says, so it is no error of this program's.
// It is looked for where the printing program sees it.
bool companionNoticeDue(const SeenFolder& folder);

} // namespace numir
