// Every text the user reads apart from the controls' captions (which stand in the control
// table): the program's name, each message box's title and prompt, and the status line
// after a run, all in Japanese. When each is shown is Form1's.
#pragma once

#include "file/file_error.h"
#include "settings/input_validation.h"

#include <cstdint>
#include <string>

namespace numir::texts {

inline constexpr const char* programName = "NUMIRアシスタント";

// A modal box with the stop icon and one OK button.
struct Message {
    std::string title;
    std::string prompt;

    bool operator==(const Message&) const = default;
};

Message companionNotice();
Message inputError(InputError error);
Message fileError(const FileError& error);
// A run that stopped, or met its attempt limit, before it had all its lines.
Message searchError();
Message viewerNotStarted();

// The status line after a successful run, for the number of combinations drawn.
std::string runReport(std::int32_t attempts);

} // namespace numir::texts
