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

int FilterRules::previousDrawWeight(int number) const {
    int weight = 0;
    for (NumberMask level : previousDrawLevels)
        weight += (level & numberBit(number)) != 0 ? 1 : 0;
    return weight;
}

CombinationFilter::CombinationFilter(const PredictionSettings& settings) {
    rules_.excluded = maskOf(settings.exclude1) | maskOf(settings.exclude2);
    rules_.included = maskOf(settings.include1);
    rules_.includeUnmatchable = settings.include1.on && !drawableNumber(settings.include1.value);
    if (settings.include2.on) {
        auto whole = settings.include2Whole();
        rules_.included |= whole ? numberBit(*whole) : 0;
        rules_.includeUnmatchable = rules_.includeUnmatchable || !whole;
    }
    rules_.previousDrawOn = settings.previousDrawOn;
    if (!rules_.previousDrawOn)
        return;
    for (double piece : settings.previousDraw()) {
        auto number = drawableNumber(piece);
        if (!number)
            continue;
        NumberMask bit = numberBit(*number);
        for (NumberMask& level : rules_.previousDrawLevels) {
            if ((level & bit) == 0) {
                level |= bit;
                break;
            }
        }
    }
}

} // namespace numir
