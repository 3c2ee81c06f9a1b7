// Start-up and the four commands against a recording stand-in for the window, so that the
// behaviour is proven once for every toolkit. Each test has a folder of its own.
#include "control_table.h"
#include "form1.h"
#include "temp_folder.h"

#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <vector>

namespace numir {
namespace {

using testing::readWholeFile;
using testing::writeWholeFile;

struct Box {
    std::string title, prompt;
};

// The controls as plain values; selecting an option clears the rest of its container.
class FakeView final : public FormView {
  public:
    FakeView() {
        for (const ControlSpec& spec : controlTable)
            texts[spec.name] = spec.kind == ControlKind::TextField ? spec.caption : "";
    }
    std::string text(std::string_view c) const override { return texts.at(std::string(c)); }
    void setText(std::string_view c, std::string_view utf8) override {
        texts.at(std::string(c)) = utf8;
    }
    bool isChecked(std::string_view c) const override {
        return checked.count(std::string(c)) > 0 && checked.at(std::string(c));
    }
    void setChecked(std::string_view c, bool on) override {
        const ControlSpec& spec = specOf(c);
        if (on && spec.kind == ControlKind::OptionButton)
            for (const ControlSpec& other : controlTable)
                if (other.kind == ControlKind::OptionButton && sameContainer(other, spec))
                    checked[other.name] = false;
        checked[std::string(c)] = on;
    }
    void setEnabled(std::string_view c, bool on) override { enabled[std::string(c)] = on; }
    void showStop(std::string_view title, std::string_view prompt) override {
        boxes.push_back({std::string(title), std::string(prompt)});
    }
    bool startViewer(std::string_view fileName) override {
        viewed.emplace_back(fileName);
        return viewerStarts;
    }

    bool allButtonsEnabled() const {
        for (const char* b : {"Command1", "Command2", "Command3", "Command4"})
            if (enabled.count(b) > 0 && !enabled.at(b))
                return false;
        return true;
    }
    bool inStartState() const {
        for (const char* t : {"Text1", "Text2", "Text3", "Text4", "Text5", "Text6"})
            if (!text(t).empty())
                return false;
        for (const char* c : {"Check1", "Check2", "Check3", "Check4", "Check5"})
            if (isChecked(c))
                return false;
        int selected = 0;
        for (const ControlSpec& spec : controlTable)
            selected += spec.kind == ControlKind::OptionButton && isChecked(spec.name) ? 1 : 0;
        return selected == 2 && isChecked("Option2") && isChecked("Option4");
    }

    std::map<std::string, std::string> texts;
    std::map<std::string, bool> checked, enabled;
    std::vector<Box> boxes;
    std::vector<std::string> viewed;
    bool viewerStarts = true;

  private:
    static const ControlSpec& specOf(std::string_view name) {
        for (const ControlSpec& spec : controlTable)
            if (name == spec.name)
                return spec;
        throw std::invalid_argument("no such control");
    }
    static bool sameContainer(const ControlSpec& a, const ControlSpec& b) {
        return (a.container == nullptr) == (b.container == nullptr);
    }
};

// The program's source, which also lets a test look at the window while a run draws.
class ObservedRandom final : public RandomSource {
  public:
    void reseed() override {
        real.reseed();
        if (onReseed)
            onReseed();
    }
    float unit(std::int64_t attempt, int t) override { return real.unit(attempt, t); }
    ClockSeededRandom real;
    std::function<void()> onReseed;
};

class Form1Test : public ::testing::Test {
  protected:
    Form1& loaded() {
        form.load();
        view.boxes.clear();
        return form;
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
        {"support@velnor.example\rx", false},
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
            Form1(view, random, folder / "").load();
            ASSERT_EQ(view.boxes.size(), due ? 1u : 0u) << contents.value_or("<none>");
            if (due) {
                EXPECT_EQ(view.boxes[0].title, "オススメ");
                EXPECT_EQ(view.boxes[0].prompt, "数字選択式宝くじシート印刷ソフトと一緒に使ってね");
            }
            // Created empty when missing, never changed.
            EXPECT_EQ(readWholeFile(path("velnor.ini")), contents.value_or(""));
        }
    }
}

TEST_F(Form1Test, StartUpClearsThePlaceholdersAndKeepsOrCreatesTheFile) {
    writeWholeFile(path("numir.txt"), "012021222324\r\n");
    view.checked["Option1"] = true;
    loaded();
    EXPECT_TRUE(view.inStartState());
    EXPECT_EQ(readWholeFile(path("numir.txt")), "012021222324\r\n");
    std::filesystem::remove(path("numir.txt"));
    loaded();
    EXPECT_TRUE(std::filesystem::exists(path("numir.txt")));
}

TEST_F(Form1Test, UnopenableFilesAreReportedAndStartUpCarriesOn) {
    // A folder where the file should be cannot be opened, even by root.
    std::filesystem::create_directory(path("numir.txt"));
    std::filesystem::create_directory(path("velnor.ini"));
    form.load();
    ASSERT_EQ(view.boxes.size(), 2u);
    EXPECT_EQ(view.boxes[0].title, "オススメ");
    EXPECT_EQ(view.boxes[1].title, "ファイルエラー");
    EXPECT_GT(view.boxes[1].prompt.size(),
              std::string("numir.txt に書き込めませんでした\n").size());
    EXPECT_EQ(view.boxes[1].prompt.rfind("numir.txt に書き込めませんでした\n", 0), 0u);
    EXPECT_TRUE(view.inStartState());
}

TEST_F(Form1Test, StartRunsWithTheButtonsDisabledAndReports) {
    loaded();
    bool disabledDuringRun = false;
    random.onReseed = [&] {
        disabledDuringRun = true;
        for (const char* b : {"Command1", "Command2", "Command3", "Command4"})
            disabledDuringRun = disabledDuringRun && !view.enabled.at(b);
    };
    view.checked["Check3"] = true;
    view.texts["Text3"] = "４３";
    form.start();
    EXPECT_TRUE(disabledDuringRun);
    EXPECT_TRUE(view.allButtonsEnabled());
    EXPECT_TRUE(view.boxes.empty());
    std::string lines = readWholeFile(path("numir.txt"));
    ASSERT_EQ(lines.size(), 140u); // the ten preset
    for (std::size_t at = 0; at < lines.size(); at += 14)
        EXPECT_EQ(lines.substr(at + 10, 4), "43\r\n");
    const std::string report = view.text("Text4");
    EXPECT_EQ(report.rfind(" 予想を書込みました。 ", 0), 0u) << report;
    EXPECT_EQ(report.substr(report.size() - std::string("個の組合せから選出").size()),
              "個の組合せから選出");
}

// Refused and failed runs: one box each, the file and every control as they were.
TEST_F(Form1Test, RefusalsAndFailuresKeepFileAndControls) {
    struct Case {
        const char* name;
        std::map<std::string, std::string> typed;
        std::vector<const char*> ticked;
        Box expected;
        bool fullDisk = false;
    } cases[] = {
        {"include checked before exclude",
         {{"Text6", "0"}, {"Text2", "44"}},
         {"Check5", "Check2", "Option1"},
         {"入力エラー", "含める番号"}},
        {"preset larger than the filters allow",
         {{"Text3", "1"},
          {"Text6", "2"},
          {"Text2", "43"},
          {"Text5", "42"},
          {"Text1", "000000000003"}},
         {"Check3", "Check5", "Check2", "Check4", "Check1", "Option8"},
         {"入力エラー", "予想件数"}},
#ifndef _WIN32
        {"full disk", {}, {}, {"ファイルエラー", "numir.txt に書き込めませんでした\n"}, true},
#endif
    };
    for (const Case& c : cases) {
        loaded();
        writeWholeFile(path("numir.txt"), "keep\r\n");
        if (c.fullDisk) // the run writes beside numir.txt first
            std::filesystem::create_symlink("/dev/full", path("numir.txt.new"));
        view.texts["Text4"] = "previous report";
        for (const auto& [field, text] : c.typed)
            view.texts[field] = text;
        for (const char* box : c.ticked)
            view.setChecked(box, true);
        const auto texts = view.texts;
        const auto checked = view.checked;
        form.start();
        ASSERT_EQ(view.boxes.size(), 1u) << c.name;
        EXPECT_EQ(view.boxes[0].title, c.expected.title) << c.name;
        EXPECT_EQ(view.boxes[0].prompt.rfind(c.expected.prompt, 0), 0u) << c.name;
        EXPECT_EQ(readWholeFile(path("numir.txt")), "keep\r\n") << c.name;
        EXPECT_EQ(view.texts, texts) << c.name;
        EXPECT_EQ(view.checked, checked) << c.name;
        EXPECT_TRUE(view.allButtonsEnabled()) << c.name;
    }
}

TEST_F(Form1Test, ResetRestoresTheStartStateAndLeavesTheFile) {
    loaded();
    writeWholeFile(path("numir.txt"), "012021222324\r\n");
    for (auto& [name, text] : view.texts)
        text = "12";
    for (const char* box : {"Check1", "Check2", "Check3", "Check4", "Check5", "Option1", "Option9"})
        view.setChecked(box, true);
    form.reset();
    EXPECT_TRUE(view.inStartState());
    EXPECT_EQ(readWholeFile(path("numir.txt")), "012021222324\r\n");
    EXPECT_TRUE(view.allButtonsEnabled());
}

TEST_F(Form1Test, ViewOpensTheFileOrSaysWhyNot) {
    loaded();
    form.viewInNotepad();
    EXPECT_EQ(view.viewed, std::vector<std::string>{"numir.txt"});
    EXPECT_TRUE(view.boxes.empty());
    view.viewerStarts = false;
    form.viewInNotepad();
    ASSERT_EQ(view.boxes.size(), 1u);
    EXPECT_EQ(view.boxes[0].title, "起動エラー");
    EXPECT_EQ(view.boxes[0].prompt, "メモ帳を起動できませんでした");
    EXPECT_TRUE(view.allButtonsEnabled());
}

} // namespace
} // namespace numir
