// Start-up and the four commands against a recording stand-in for the window, so that the
// behaviour is proven once for every toolkit. Each test has a folder of its own.
#include "form1.h"
#include "test_support.h"

#include <functional>
#include <gtest/gtest.h>
#include <regex>

namespace numir {
namespace {

namespace fs = std::filesystem;
using enum Control;
using testing::readWholeFile;
using testing::writeWholeFile;
using Boxes = std::vector<std::pair<std::string, std::string>>; // title, prompt

// The controls as plain values; selecting an option clears the rest of its group.
class FakeView final : public FormView {
  public:
    std::string text(Control c) const override { return texts[indexOf(c)]; }
    void setText(Control c, std::string_view s) override { texts[indexOf(c)] = s; }
    bool isChecked(Control c) const override { return checked[indexOf(c)]; }
    void setChecked(Control c, bool on) override {
        for (const ControlSpec& spec : controlTable)
            if (on && spec.kind == ControlKind::OptionButton &&
                spec.container == specOf(c).container)
                checked[indexOf(spec.id)] = false;
        checked[indexOf(c)] = on;
    }
    void setEnabled(Control c, bool on) override { disabled[indexOf(c)] = !on; }
    void showWaitCursor(bool shown) override { waiting = shown; }
    // A box under the wait cursor would be wrong whatever it says.
    void showStop(std::string_view t, std::string_view p) override {
        boxes.emplace_back(t, waiting ? "under the wait cursor" : p);
    }
    bool startViewer(std::string_view name) override {
        return viewed.emplace_back(name), viewerStarts;
    }

    bool buttonsEnabled(bool on) const {
        return std::count(disabled.begin(), disabled.end(), true) == (on ? 0 : 4);
    }
    // Every field empty, no box ticked, a new file of ten lines chosen.
    bool inStartState() const {
        for (std::size_t i = 0; i < controlTable.size(); ++i)
            if (!texts[i].empty() || checked[i] != (i == indexOf(Option2) || i == indexOf(Option4)))
                return false;
        return true;
    }

    std::array<std::string, controlTable.size()> texts;
    std::array<bool, controlTable.size()> checked{}, disabled{};
    Boxes boxes;
    std::vector<std::string> viewed;
    bool viewerStarts = true, waiting = false;
};

// The program's source with repeatable keys, and a look at the window while a run draws.
class ObservedRandom final : public RandomSource {
  public:
    void reseed() override { real.reseed(), onReseed(); }
    PhiloxCounter block(std::uint64_t index, std::uint32_t stream) const override {
        return real.block(index, stream);
    }
    ClockSeededRandom real{2026};
    std::function<void()> onReseed = [] {};
};

class Form1Test : public ::testing::Test {
  protected:
    void load() { form.load(), view.boxes.clear(); }

    testing::TempFolder folder;
    FakeView view;
    ObservedRandom random;
    Form1 form{view, random, SeenFolder{folder.path, std::nullopt}};
};

TEST_F(Form1Test, CompanionNoticeUnlessTheFirstLineIsTheMarker) {
    // clang-format off
    const std::pair<std::optional<std::string>, bool> cases[] = {
        {std::nullopt, true}, {"", true}, {"support@velnor.example\r\nx=1\r\n", false},
        {"support@velnor.example\nx", false}, {"support@velnor.example", false},
        {"support@velnor.example \r\n", true}, {"Support@velnor.example\r\n", true},
        {"\r\nsupport@velnor.example\r\n", true}};
    // clang-format on
    for (const auto& [contents, due] : cases) {
        fs::remove(folder / "velnor.ini");
        if (contents)
            writeWholeFile(folder / "velnor.ini", *contents);
        view.boxes.clear();
        form.load();
        const Boxes notice{{"オススメ", "数字選択式宝くじシート印刷ソフトと一緒に使ってね"}};
        EXPECT_EQ(view.boxes, due ? notice : Boxes{}) << contents.value_or("<none>");
        EXPECT_EQ(readWholeFile(folder / "velnor.ini"), contents.value_or("")); // left empty
    }
}

TEST_F(Form1Test, StartUpAndResetRestoreTheControlsAndLeaveTheFile) {
    writeWholeFile(folder / "numir.txt", "012021222324\r\n");
    writeWholeFile(folder / "velnor.ini", "support@velnor.example\r\n");
    fs::permissions(folder / "numir.txt", fs::perms::owner_read); // no box until a run
    const Control fields[] = {Text1, Text2, Text3, Text4, Text5, Text6};
    for (Control field : fields)
        view.texts[indexOf(field)] = specOf(field).caption;
    form.load();
    EXPECT_TRUE(view.inStartState() && view.boxes.empty());
    fs::permissions(folder / "numir.txt", fs::perms::owner_all);
    for (Control field : fields)
        view.texts[indexOf(field)] = "12";
    for (Control box : {Check1, Check2, Check3, Check4, Check5, Option1, Option9})
        view.setChecked(box, true);
    form.reset();
    EXPECT_TRUE(view.inStartState() && view.buttonsEnabled(true));
    EXPECT_EQ(readWholeFile(folder / "numir.txt"), "012021222324\r\n");
    // A numir.txt that cannot be opened (a folder in its place, even for root) is reported
    // once, after the notice; an unreadable velnor.ini is only a missing marker.
    for (const char* name : {"numir.txt", "velnor.ini"})
        fs::remove(folder / name), fs::create_directory(folder / name);
    form.load();
    ASSERT_EQ(view.boxes.size(), 2u);
    EXPECT_TRUE(view.boxes[0].first == "オススメ" && view.boxes[1].first == "ファイルエラー" &&
                view.boxes[1].second.find("同じ名前のフォルダー") != std::string::npos);
    EXPECT_TRUE(view.inStartState());
    fs::remove(folder / "numir.txt");
    load();
    EXPECT_TRUE(fs::exists(folder / "numir.txt"));
}

TEST_F(Form1Test, ARunDisablesTheButtonsAndViewOpensTheFile) {
    load();
    fs::remove(folder / "numir.txt"); // gone since start-up: made anew
    bool disabledDuringRun = false;
    random.onReseed = [&] { disabledDuringRun = view.buttonsEnabled(false) && view.waiting; };
    view.setChecked(Option9, true); // ３０件
    form.start();
    EXPECT_TRUE(disabledDuringRun && view.buttonsEnabled(true) && view.boxes.empty() &&
                !view.waiting);
    EXPECT_TRUE(
        std::regex_match(readWholeFile(folder / "numir.txt"), std::regex("([0-9]{12}\r\n){30}")));
    EXPECT_TRUE(view.text(Text4).starts_with(" 予想を書込みました。 "));
    form.viewInNotepad();
    view.viewerStarts = false;
    form.viewInNotepad();
    const std::string file = (folder / "numir.txt").string(); // by its full name
    EXPECT_EQ(view.viewed, (std::vector<std::string>{file, file}));
    EXPECT_EQ(view.boxes, (Boxes{{"起動エラー", "メモ帳を起動できませんでした"}}));
}

// A run refused for its settings, or for what a user's folder holds in place of a writable
// numir.txt: one box that says why, in both modes, and the file and every control as they were.
TEST_F(Form1Test, RefusalsSayWhatIsWrongAndKeepFileAndControls) {
    load();
    const auto keep = [](const fs::path& file) { writeWholeFile(file, "keep\r\n"); };
    const auto narrow = [&](const fs::path& file, const char* previousDraw) {
        keep(file);
        const std::tuple<Control, Control, const char*> typed[] = {{Check3, Text3, "1"},
                                                                   {Check5, Text6, "2"},
                                                                   {Check2, Text2, "43"},
                                                                   {Check4, Text5, "42"},
                                                                   {Check1, Text1, previousDraw}};
        for (auto [box, field, text] : typed)
            view.setChecked(box, true), view.texts[indexOf(field)] = text;
        view.setChecked(Option8, true); // ２００件
    };
    const struct {
        const char* name;
        std::function<void(const fs::path&)> prepare;
        const char *title, *says;
    } rows[] = {
        {"111 even and 93 odd combinations", [&](auto& file) { narrow(file, "000000000003"); },
         "入力エラー", "予想件数"},
        // more than 8 odd lines drawn again within the quota of 60 stop nine runs in ten
        {"148 even and 126 odd, a run that stops",
         [&](auto& file) { narrow(file, "000000000005"); }, "予想エラー",
         "条件に合う組合せを選び切れませんでした\n予想件数を減らしてください"},
        {"read-only", [&](auto& file) { keep(file), fs::permissions(file, fs::perms::owner_read); },
         "ファイルエラー", "読み取り専用"},
    };
    for (const auto& row : rows)
        for (Control mode : {Option1, Option2}) {
            SCOPED_TRACE(std::string(row.name) + (mode == Option1 ? ", append" : ", replace"));
            const fs::path file = folder / "numir.txt";
            fs::remove_all(file);
            form.reset();
            view.boxes.clear();
            view.texts[indexOf(Text4)] = "previous report";
            row.prepare(file);
            view.setChecked(mode, true);
            const FakeView before = view;
            form.start();
            ASSERT_EQ(view.boxes.size(), 1u);
            EXPECT_EQ(view.boxes[0].first, row.title);
            EXPECT_TRUE(view.boxes[0].second.find(row.says) != std::string::npos)
                << view.boxes[0].second;
            auto texts = before.texts; // only a refusal of the inputs keeps the last report
            texts[indexOf(Text4)] =
                std::string(row.title) == "入力エラー" ? texts[indexOf(Text4)] : "";
            EXPECT_TRUE(view.texts == texts && view.checked == before.checked &&
                        view.buttonsEnabled(true));
            EXPECT_EQ(readWholeFile(file), "keep\r\n");
            std::error_code ignored;
            fs::permissions(file, fs::perms::owner_all, ignored);
        }
}

} // namespace
} // namespace numir
