#include "input_validation.h"

namespace numir {
namespace {

// "Below 1" means "not at least 1", so a NaN would be refused as well.
bool outsideRange(const OptionalNumber& number) {
    return number.on && !(number.value >= 1 && number.value <= 43);
}

bool previousDrawHasRepeat(const PreviousDraw& pieces) {
    for (std::size_t i = 0; i < pieces.size(); ++i)
        for (std::size_t j = i + 1; j < pieces.size(); ++j)
            if (pieces[i] != 0 && pieces[j] == pieces[i])
                return true;
    return false;
}

int countPieces(const PreviousDraw& pieces, double value) {
    int count = 0;
    for (double piece : pieces)
        count += piece == value ? 1 : 0;
    return count;
}

bool isExcluded(const PredictionSettings& settings, double value) {
    return (settings.exclude1.on && settings.exclude1.value == value) ||
           (settings.exclude2.on && settings.exclude2.value == value);
}

} // namespace

std::optional<InputError> checkTypedRanges(const PredictionSettings& settings) {
    const auto& include1 = settings.include1;
    const auto& include2 = settings.include2;
    if (outsideRange(include2) || outsideRange(include1))
        return InputError::IncludeNumbers;
    if (include1.on && include2.on && include1.value == include2.value)
        return InputError::IncludeNumbers;
    if (outsideRange(settings.exclude1) || outsideRange(settings.exclude2))
        return InputError::ExcludeNumbers;
    if (!settings.previousDrawOn)
        return std::nullopt;
    if (settings.previousDrawText.size() != 12)
        return InputError::PreviousDraw;
    PreviousDraw pieces = settings.previousDraw();
    if (previousDrawHasRepeat(pieces))
        return InputError::PreviousDraw;
    if (include1.on && include2.on &&
        countPieces(pieces, include1.value) + countPieces(pieces, *settings.include2Whole()) > 1)
        return InputError::IncludeNumbers;
    return std::nullopt;
}

std::optional<InputError> checkSatisfiable(const PredictionSettings& settings) {
    const auto& include1 = settings.include1;
    if (include1.on && (!drawableNumber(include1.value) || isExcluded(settings, include1.value)))
        return InputError::IncludeNumbers;
    if (auto include2 = settings.include2Whole(); include2 && isExcluded(settings, *include2))
        return InputError::IncludeNumbers;
    if (settings.previousDrawOn) {
        for (double piece : settings.previousDraw())
            if (drawableNumber(piece) && !isExcluded(settings, piece))
                return std::nullopt;
        return InputError::PreviousDraw;
    }
    return std::nullopt;
}

std::optional<InputError> checkCountReachable(const PredictionSettings& settings,
                                              PassingCounts counts) {
    if (reachableLines(counts, settings.oddSumQuota) < settings.targetCount)
        return InputError::CountPreset;
    return std::nullopt;
}

std::optional<InputError> validate(const PredictionSettings& settings, PassingCounts counts) {
    if (auto error = checkTypedRanges(settings))
        return error;
    if (auto error = checkSatisfiable(settings))
        return error;
    return checkCountReachable(settings, counts);
}

} // namespace numir
