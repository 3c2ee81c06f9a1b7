// From arbitrary bytes to the typed fields, the five boxes, the preset and the mode, then a
// whole run into a folder holding an old numir.txt. Whatever is typed, a run is refused or
// stops with the file untouched, or adds exactly target × 14 bytes of distinct valid lines.
#include "prediction_run.h"
#include "test_support.h"

#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>
#include <set>

namespace {

using namespace numir;

TypedInputs typedInputs(FuzzedDataProvider& data) {
    TypedInputs inputs;
    int preset = data.ConsumeIntegralInRange(0, static_cast<int>(countPresets.size()));
    if (preset < static_cast<int>(countPresets.size())) // else none chosen
        inputs.presetCount = countPresets[static_cast<std::size_t>(preset)].targetCount;
    for (TypedNumber* number : {&inputs.exclude1, &inputs.exclude2, &inputs.include1,
                                &inputs.include2, &inputs.previousDraw})
        *number = {data.ConsumeBool(), data.ConsumeRandomLengthString(40)};
    inputs.append = data.ConsumeBool();
    return inputs;
}

// Twelve digits of six ascending numbers 1..43 and CR LF per line, no line twice.
bool validLines(std::string_view bytes) {
    std::set<std::string_view> seen;
    for (; bytes.size() >= 14; bytes.remove_prefix(14)) {
        std::string_view line = bytes.substr(0, 14);
        if (line.substr(12) != "\r\n" || !seen.insert(line).second)
            return false;
        int previous = 0;
        for (int i = 0; i < 12; i += 2) {
            if (line[i] < '0' || line[i] > '9' || line[i + 1] < '0' || line[i + 1] > '9')
                return false;
            int number = (line[i] - '0') * 10 + line[i + 1] - '0';
            if (number <= previous || number > 43)
                return false;
            previous = number;
        }
    }
    return bytes.empty();
}

void check(bool holds) {
    if (!holds)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    static testing::TempFolder folder;
    FuzzedDataProvider data(bytes, size);
    const std::string oldContents[] = {"", "010203040506\r\n", "no line end"};
    const std::string& old = oldContents[data.ConsumeIntegralInRange(0, 2)];
    const auto file = folder / "numir.txt";
    std::filesystem::remove(file);
    if (!old.empty())
        testing::writeWholeFile(file, old);
    const std::uint64_t seed = data.ConsumeIntegral<std::uint64_t>();
    const PredictionSettings settings = settingsFromInputs(typedInputs(data));

    const PredictionFile prediction(file);
    ClockSeededRandom random(seed);
    // A limit keeps every input quick; a run that reaches it must leave the file alone too.
    PredictionOutcome outcome = runPrediction(settings, prediction, random, 400000);
    const std::string after = testing::readWholeFile(file);
    if (auto* written = std::get_if<RunWritten>(&outcome)) {
        const std::string before = settings.append ? old : "";
        check(after.size() == before.size() + 14u * settings.targetCount);
        check(after.compare(0, before.size(), before) == 0);
        check(validLines(std::string_view(after).substr(before.size())));
        check(written->attempts >= settings.targetCount);
    } else {
        check(!std::holds_alternative<FileError>(outcome));
        check(after == old);
    }
    return 0;
}
