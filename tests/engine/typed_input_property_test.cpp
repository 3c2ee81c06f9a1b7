// Whatever a user types: conversion and validation never crash, every refusal is one of the
// three prompts, and every accepted setting lets a five-line run finish.
#include "prediction_run.h"
#include "temp_folder.h"

#include <gtest/gtest.h>
#include <random>

namespace numir {
namespace {

// Pieces a text is made of: ASCII and full-width digits, signs, points and exponents,
// blanks, other letters, and bytes that are not UTF-8.
const std::vector<std::string> fragments = {"0",
                                            "1",
                                            "2",
                                            "3",
                                            "4",
                                            "5",
                                            "7",
                                            "9",
                                            "00",
                                            "43",
                                            "44",
                                            "１",
                                            "４",
                                            "３",
                                            "０",
                                            "+",
                                            "-",
                                            "＋",
                                            "－",
                                            ".",
                                            "．",
                                            "e",
                                            "E",
                                            "ｅ",
                                            "Ｅ",
                                            " ",
                                            "\t",
                                            "\n",
                                            "　",
                                            "a",
                                            "Ａ",
                                            "件",
                                            "\r",
                                            "\xFF",
                                            "\xC0\xAF",
                                            "\xE3\x80",
                                            "\xED\xA0\x80",
                                            "\x80"};

std::string randomText(std::mt19937& engine) {
    std::uniform_int_distribution<int> length(0, 14);
    std::uniform_int_distribution<std::size_t> fragment(0, fragments.size() - 1);
    int pieces = length(engine);
    if (std::bernoulli_distribution(0.002)(engine))
        pieces = 5000; // a pasted wall of text
    std::string text;
    for (int i = 0; i < pieces; ++i)
        text += fragments[fragment(engine)];
    return text;
}

// Previous draws that are mostly twelve characters long, so the later checks are reached.
std::string randomPreviousDraw(std::mt19937& engine) {
    if (std::bernoulli_distribution(0.3)(engine))
        return randomText(engine);
    std::string text;
    std::uniform_int_distribution<int> number(0, 45);
    for (int k = 0; k < 6; ++k) {
        int n = number(engine);
        text += std::bernoulli_distribution(0.1)(engine)
                    ? fragments[k * 5 % fragments.size()]
                    : std::to_string(n / 10) + std::to_string(n % 10);
    }
    return text;
}

TEST(TypedInputProperty, EveryTextIsRefusedCleanlyOrCompletesARun) {
    std::mt19937 engine(20261206);
    std::bernoulli_distribution on(0.5);
    testing::TempFolder folder;
    PredictionFile file(folder / "numir.txt");
    ClockSeededRandom random;
    int accepted = 0, refused = 0;

    for (int i = 0; i < 100000; ++i) {
        TypedInputs inputs;
        inputs.check1 = on(engine);
        inputs.check2 = on(engine);
        inputs.check3 = on(engine);
        inputs.check4 = on(engine);
        inputs.check5 = on(engine);
        inputs.text1 = randomPreviousDraw(engine);
        inputs.text2 = randomText(engine);
        inputs.text3 = randomText(engine);
        inputs.text5 = randomText(engine);
        inputs.text6 = randomText(engine);
        inputs.selectedPreset = 0; // the five preset
        PredictionSettings settings = settingsFromInputs(inputs);

        // A run that could not finish would stop at the limit instead of succeeding.
        PredictionOutcome outcome = runPrediction(settings, file, random, 20'000'000);
        if (auto* error = std::get_if<InputError>(&outcome)) {
            std::string_view prompt = inputErrorPrompt(*error);
            ASSERT_TRUE(prompt == "含める番号" || prompt == "除く番号" || prompt == "前回番号");
            ++refused;
            continue;
        }
        ASSERT_TRUE(std::holds_alternative<std::string>(outcome)) << "case " << i;
        ASSERT_EQ(std::filesystem::file_size(file.path()), 70u) << "case " << i;
        ++accepted;
    }
    // Both answers must be common for the property to say anything.
    EXPECT_GT(accepted, 5000);
    EXPECT_GT(refused, 10000);
}

} // namespace
} // namespace numir
