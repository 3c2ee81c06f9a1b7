// The words of the ファイルエラー box: a first line that says which file could not be
// written or opened, then what is wrong in Japanese and what to do about it. Sorting the
// system's error codes is the engine's; showing the box is Form1's.
#pragma once

#include "file/file_error.h"

#include <string>

namespace numir {

inline constexpr const char* fileErrorTitle = "ファイルエラー";

std::string fileErrorPrompt(const FileError& error);

} // namespace numir
