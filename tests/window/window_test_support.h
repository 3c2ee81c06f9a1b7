// Stand-ins for the desktop, and a fresh current folder per test, for the window tests.
#pragma once

#include "desktop_services.h"
#include "form1_window.h"
#include "random_source.h"

#include <QDir>
#include <QTemporaryDir>
#include <QWidget>
#include <memory>
#include <vector>

namespace numir::testing {

struct ShownBox {
    QString title;
    QString prompt;
};

class RecordingBoxes final : public MessageBoxes {
  public:
    void showStop(QWidget*, const QString& title, const QString& prompt) override {
        shown.push_back({title, prompt});
    }
    std::vector<ShownBox> shown;
};

class RecordingViewer final : public ViewerLauncher {
  public:
    bool startDetached(const QString& program, const QStringList& arguments) override {
        started.push_back({program, arguments});
        return succeeds;
    }
    bool succeeds = true;
    std::vector<ViewerCommand> started;
};

// The clock-seeded source, which also notes whether the buttons were disabled while it ran.
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

// A Form1 with recording stand-ins, in a temporary current folder of its own.
struct FormUnderTest {
    FormUnderTest() : previousFolder(QDir::currentPath()) { QDir::setCurrent(folder.path()); }
    ~FormUnderTest() {
        form.reset();
        QDir::setCurrent(previousFolder);
    }

    Form1Window& create() {
        auto ownedBoxes = std::make_unique<RecordingBoxes>();
        auto ownedViewer = std::make_unique<RecordingViewer>();
        auto ownedRandom = std::make_unique<ObservedRandom>();
        boxes = ownedBoxes.get();
        viewer = ownedViewer.get();
        random = ownedRandom.get();
        form = std::make_unique<Form1Window>(std::move(ownedBoxes), std::move(ownedViewer),
                                             std::move(ownedRandom));
        return *form;
    }
    template <class Widget> Widget* control(const char* name) const {
        return form->findChild<Widget*>(QString::fromLatin1(name));
    }
    QString path(const char* name) const { return folder.filePath(QString::fromLatin1(name)); }

    QString previousFolder;
    QTemporaryDir folder;
    std::unique_ptr<Form1Window> form;
    RecordingBoxes* boxes = nullptr;
    RecordingViewer* viewer = nullptr;
    ObservedRandom* random = nullptr;
};

} // namespace numir::testing
