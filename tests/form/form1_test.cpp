// Start-up and the four commands against a recording stand-in for the window, so that the
// behaviour is proven once for every toolkit. Each test has a folder of its own.
#include "control_table.h"
#include "form1.h"
#include "temp_folder.h"

#include <functional>
#include <gtest/gtest.h>
#include <map>

namespace numir {
namespace {

using testing::readWholeFile;
using testing::writeWholeFile;
using Boxes = std::vector<std::pair<std::string, std::string>>; // title, prompt

// The controls as plain values; selecting an option clears the rest of its container.
class FakeView final : public FormView {
  public:
    std::string text(std::string_view c) const override { return texts.at(std::string(c)); }
    void setText(std::string_view c, std::string_view utf8) override {
        texts[std::string(c)] = utf8;
    }
    bool isChecked(std::string_view c) const override {
        return checked.count(std::string(c)) && checked.at(std::string(c));
    }
    void setChecked(std::string_view c, bool on) override {
        for (const ControlSpec& spec : controlTable)
            if (on && c == spec.name && spec.kind == ControlKind::OptionButton)
                for (const ControlSpec& other : controlTable)
                    if (other.kind == ControlKind::OptionButton &&
                        !other.container == !spec.container)
                        checked[other.name] = false;
        checked[std::string(c)] = on;
    }
    void setEnabled(std::string_view c, bool on) override { enabled[std::string(c)] = on; }
    void showStop(std::string_view title, std::string_view prompt) override {
        boxes.emplace_back(title, prompt);
    }
    bool startViewer(std::string_view fileName) override {
        viewed.emplace_back(fileName);
        return viewerStarts;
    }

    bool buttonsEnabled(bool expected) const {
        for (const char* b : {"Command1", "Command2", "Command3", "Command4"})
            if (enabled.count(b) && enabled.at(b) != expected)
                return false;
        return true;
    }
    // Every field empty, no box ticked, a new file of ten lines chosen.
    bool inStartState() const {
        std::map<std::string, bool> expected{{"Option2", true}, {"Option4", true}};
        for (auto [name, on] : checked)
            if (on != expected.count(name))
                return false;
        return checked.size() >= 12 &&
               std::all_of(texts.begin(), texts.end(), [](auto& t) { return t.second.empty(); });
    }

    std::map<std::string, std::string> texts;
    std::map<std::string, bool> checked, enabled;
    Boxes boxes;
    std::vector<std::string> viewed;
    bool viewerStarts = true;
};

// The program's source, which also lets a test look at the window while a run draws.
class ObservedRandom final : public RandomSource {
  public:
    void reseed() override { real.reseed(), onReseed(); }
    float unit(std::int64_t attempt, int t) override { return real.unit(attempt, t); }
    ClockSeededRandom real;
    std::function<void()> onReseed = [] {};
};

class Form1Test : public ::testing::Test {
  protected:
    void load() {
        form.load();
        view.boxes.clear();
    }
    std::filesystem::path path(const char* name) const { return folder / name; }

    testing::TempFolder folder;
    FakeView view;
    ObservedRandom random;
    Form1 form{view, random, folder / ""};
};

TEST_F(Form1Test, CompanionNoticeUnlessTheFirstLineIsTheMarker) {
    const std::pair<std::optional<std::string>, bool> cases[] = {
        {std::nullopt, true},
        {"", true},
        {"support@velnor.example\r\nx=1\r\n", false},
        {"support@velnor.example\nx", false},
        {"support@velnor.example", false},
        {"support@velnor.example \r\n", true},
        {"Support@velnor.example\r\n", true},
        {"\r\nsupport@velnor.example\r\n", true},
    };
    for (const auto& [contents, due] : cases) {
        std::filesystem::remove(path("velnor.ini"));
        if (contents)
            writeWholeFile(path("velnor.ini"), *contents);
        for (int start = 0; start < 2; ++start) { // the same answer at the next start
            view.boxes.clear();
            form.load();
            const Boxes notice{{"オススメ", "数字選択式宝くじシート印刷ソフトと一緒に使ってね"}};
            EXPECT_EQ(view.boxes, due ? notice : Boxes{}) << contents.value_or("<none>");
            EXPECT_EQ(readWholeFile(path("velnor.ini")), contents.value_or("")); // left empty
        }
    }
}

TEST_F(Form1Test, StartUpAndResetRestoreTheControlsAndLeaveTheFile) {
    writeWholeFile(path("numir.txt"), "012021222324\r\n");
    for (const ControlSpec& spec : controlTable)
        if (spec.kind == ControlKind::TextField)
            view.texts[spec.name] = spec.caption;
    load();
    EXPECT_TRUE(view.inStartState());
    for (auto& [name, text] : view.texts)
        text = "12";
    for (const char* box : {"Check1", "Check2", "Check3", "Check4", "Check5", "Option1", "Option9"})
        view.setChecked(box, true);
    form.reset();
    EXPECT_TRUE(view.inStartState());
    EXPECT_TRUE(view.buttonsEnabled(true));
    EXPECT_EQ(readWholeFile(path("numir.txt")), "012021222324\r\n");
    std::filesystem::remove(path("numir.txt"));
    load();
    EXPECT_TRUE(std::filesystem::exists(path("numir.txt")));
}

TEST_F(Form1Test, UnopenableFilesAreReportedAndStartUpCarriesOn) {
    // A folder where the file should be cannot be opened, even by root.
    std::filesystem::create_directory(path("numir.txt"));
    std::filesystem::create_directory(path("velnor.ini"));
    form.load();
    ASSERT_EQ(view.boxes.size(), 2u);
    EXPECT_EQ(view.boxes[0].first, "オススメ");
    EXPECT_EQ(view.boxes[1].first, "ファイルエラー");
    EXPECT_GT(view.boxes[1].second.size(),
              std::string("numir.txt に書き込めませんでした\n").size());
    EXPECT_EQ(view.boxes[1].second.rfind("numir.txt に書き込めませんでした\n", 0), 0u);
    EXPECT_TRUE(view.inStartState());
}

TEST_F(Form1Test, StartRunsWithTheButtonsDisabledAndReports) {
    load();
    bool disabledDuringRun = false;
    random.onReseed = [&] { disabledDuringRun = view.buttonsEnabled(false); };
    view.setChecked("Check3", true);
    view.texts["Text3"] = "４３";
    form.start();
    EXPECT_TRUE(disabledDuringRun && view.buttonsEnabled(true) && view.boxes.empty());
    std::string lines = readWholeFile(path("numir.txt"));
    ASSERT_EQ(lines.size(), 140u); // the ten preset
    for (std::size_t at = 0; at < lines.size(); at += 14)
        EXPECT_EQ(lines.substr(at + 10, 4), "43\r\n");
    std::string report = view.text("Text4"), tail = "個の組合せから選出";
    EXPECT_EQ(report.rfind(" 予想を書込みました。 ", 0), 0u) << report;
    EXPECT_EQ(report.substr(report.size() - tail.size()), tail);
}

// Refused and failed runs: one box each, the file and every control as they were.
TEST_F(Form1Test, RefusalsAndFailuresKeepFileAndControls) {
    struct Case {
        std::map<std::string, std::string> typed;
        std::vector<const char*> ticked;
        std::pair<std::string, std::string> box; // title, beginning of the prompt
    } cases[] = {
        {{{"Text6", "0"}, {"Text2", "44"}},
         {"Check5", "Check2", "Option1"},
         {"入力エラー", "含める番号"}},
        {{{"Text3", "1"},
          {"Text6", "2"},
          {"Text2", "43"},
          {"Text5", "42"},
          {"Text1", "000000000003"}},
         {"Check3", "Check5", "Check2", "Check4", "Check1", "Option8"},
         {"入力エラー", "予想件数"}},
#ifndef _WIN32
        {{}, {}, {"ファイルエラー", "numir.txt に書き込めませんでした\n"}}, // a full disk
#endif
    };
    for (const Case& c : cases) {
        load();
        writeWholeFile(path("numir.txt"), "keep\r\n");
        if (c.ticked.empty()) // the run writes beside numir.txt first
            std::filesystem::create_symlink("/dev/full", path("numir.txt.new"));
        view.texts["Text4"] = "previous report";
        for (const auto& [field, text] : c.typed)
            view.texts[field] = text;
        for (const char* box : c.ticked)
            view.setChecked(box, true);
        const FakeView before = view;
        form.start();
        ASSERT_EQ(view.boxes.size(), 1u) << c.box.second;
        EXPECT_EQ(view.boxes[0].first, c.box.first);
        EXPECT_EQ(view.boxes[0].second.rfind(c.box.second, 0), 0u) << view.boxes[0].second;
        EXPECT_EQ(readWholeFile(path("numir.txt")), "keep\r\n");
        EXPECT_TRUE(view.texts == before.texts && view.checked == before.checked);
        EXPECT_TRUE(view.buttonsEnabled(true));
    }
}

TEST_F(Form1Test, ViewOpensTheFileOrSaysWhyNot) {
    load();
    form.viewInNotepad();
    view.viewerStarts = false;
    form.viewInNotepad();
    EXPECT_EQ(view.viewed, (std::vector<std::string>{"numir.txt", "numir.txt"}));
    EXPECT_EQ(view.boxes, (Boxes{{"起動エラー", "メモ帳を起動できませんでした"}}));
    EXPECT_TRUE(view.buttonsEnabled(true));
}

} // namespace
} // namespace numir
