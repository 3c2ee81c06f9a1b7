#include "prediction_settings.h"

#include "typed_text.h"

#include <cmath>

namespace numir {
namespace {

// Half-way values go to the even neighbour.
double roundHalfToEven(double value) {
    double lower = std::floor(value);
    double fraction = value - lower;
    if (fraction > 0.5)
        return lower + 1;
    if (fraction < 0.5)
        return lower;
    return std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1;
}

} // namespace

std::optional<int> PredictionSettings::include2Whole() const {
    if (!include2.on || !(include2.value >= 1 && include2.value <= 43))
        return std::nullopt;
    return static_cast<int>(roundHalfToEven(include2.value));
}

PreviousDraw PredictionSettings::previousDraw() const {
    PreviousDraw pieces{};
    std::u32string_view text = previousDrawText;
    for (std::size_t k = 0; k < pieces.size(); ++k) {
        std::size_t start = 2 * k;
        pieces[k] = start < text.size() ? numericValue(text.substr(start, 2)) : 0.0;
    }
    return pieces;
}

namespace {

OptionalNumber readNumber(const TypedNumber& typed) {
    return typed.on ? OptionalNumber{true, numericValue(typed.text)} : OptionalNumber{};
}

} // namespace

std::optional<CountPreset> presetFor(int targetCount) {
    for (const CountPreset& preset : countPresets)
        if (preset.targetCount == targetCount)
            return preset;
    return std::nullopt;
}

std::optional<int> drawableNumber(double value) {
    if (value >= 1 && value <= 43 && std::floor(value) == value)
        return static_cast<int>(value);
    return std::nullopt;
}

PredictionSettings settingsFromInputs(const TypedInputs& inputs) {
    PredictionSettings settings;
    if (auto preset = inputs.presetCount ? presetFor(*inputs.presetCount) : std::nullopt) {
        settings.targetCount = preset->targetCount;
        settings.oddSumQuota = preset->oddSumQuota;
    }
    settings.exclude1 = readNumber(inputs.exclude1);
    settings.exclude2 = readNumber(inputs.exclude2);
    settings.include1 = readNumber(inputs.include1);
    settings.include2 = readNumber(inputs.include2);
    settings.previousDrawOn = inputs.previousDraw.on;
    if (inputs.previousDraw.on)
        settings.previousDrawText =
            std::u32string(trimSpaces(decodeUtf8(inputs.previousDraw.text)));
    settings.append = inputs.append;
    return settings;
}

} // namespace numir
