// What several test files need: a folder per test, whole files, settings in one line.
#pragma once

#include "settings/prediction_settings.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace numir::testing {

// A file's lines before a run, and a run's lines.
inline const std::string oldLines = "010203040506\r\n070809101112\r\n";
inline const std::string runLines = "131415161718\r\n192021222324\r\n252627282930\r\n";

struct TempFolder {
    TempFolder() { std::filesystem::create_directories(path); }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::filesystem::path operator/(const std::string& name) const { return path / name; }

    const std::filesystem::path path = std::filesystem::temp_directory_path() /
                                       ("numir-test-" + std::to_string(std::random_device()()));
};

inline std::string readWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeWholeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// A number of 0 leaves its box unticked, an empty previous draw its box too.
inline PredictionSettings settings(double include1, double include2, double exclude1,
                                   double exclude2, std::u32string previousDraw = U"",
                                   std::int16_t target = 10, std::int16_t quota = 3) {
    auto ticked = [](double n) { return OptionalNumber{n != 0, n}; };
    PredictionSettings s;
    s.targetCount = target, s.oddSumQuota = quota;
    s.exclude1 = ticked(exclude1), s.exclude2 = ticked(exclude2);
    s.include1 = ticked(include1), s.include2 = ticked(include2);
    s.previousDrawOn = !previousDraw.empty(), s.previousDrawText = std::move(previousDraw);
    return s;
}

// The settings as a test's failure names them: includes, excludes (0: off), previous draw.
inline std::string described(const PredictionSettings& s) {
    std::string text;
    for (OptionalNumber n : {s.include1, s.include2, s.exclude1, s.exclude2})
        text += std::to_string(n.on ? n.value : 0) + " ";
    return text + std::string(s.previousDrawText.begin(), s.previousDrawText.end());
}

} // namespace numir::testing
