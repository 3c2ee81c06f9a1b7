#include "combination_filter.h"

#include <bit>
#include <optional>

namespace numir {
namespace {

NumberMask maskOf(const OptionalNumber& number) {
    if (!number.on)
        return 0;
    auto drawable = drawableNumber(number.value);
    return drawable ? numberBit(*drawable) : 0;
}

} // namespace

CombinationFilter::CombinationFilter(const PredictionSettings& settings) {
    excluded_ = maskOf(settings.exclude1) | maskOf(settings.exclude2);
    included_ = maskOf(settings.include1);
    includeUnmatchable_ = settings.include1.on && !drawableNumber(settings.include1.value);
    if (settings.include2.on) {
        auto whole = settings.include2Whole();
        included_ |= whole ? numberBit(*whole) : 0;
        includeUnmatchable_ = includeUnmatchable_ || !whole;
    }
    previousDrawOn_ = settings.previousDrawOn;
    if (!previousDrawOn_)
        return;
    for (double piece : settings.previousDraw()) {
        auto number = drawableNumber(piece);
        if (!number)
            continue;
        NumberMask bit = numberBit(*number);
        for (NumberMask& level : previousDrawLevels_) {
            if ((level & bit) == 0) {
                level |= bit;
                break;
            }
        }
    }
}

int CombinationFilter::sharedWithPreviousDraw(NumberMask numbers) const {
    int shared = 0;
    for (NumberMask level : previousDrawLevels_)
        shared += std::popcount(numbers & level);
    return shared;
}

} // namespace numir
