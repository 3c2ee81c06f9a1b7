// The program's one window: builds its controls from the control table, runs the start-up
// and turns the four buttons into engine calls and the engine's answers into text.
// Validation, the search and the file format are the engine's.
#pragma once

#include "desktop_services.h"
#include "prediction_file.h"
#include "prediction_settings.h"
#include "random_source.h"

#include <QWidget>
#include <array>
#include <memory>

class QPushButton;

namespace numir {

class Form1 : public QWidget {
  public:
    Form1(); // with the real message boxes, viewer and random source
    Form1(std::unique_ptr<MessageBoxes> boxes, std::unique_ptr<ViewerLauncher> viewer,
          std::unique_ptr<RandomSource> random);
    ~Form1() override;

    // Start-up, once, before the window is first shown.
    void load();

    // The four commands, as their buttons trigger them.
    void start();
    void reset();
    void viewInNotepad();

  private:
    void buildControls();
    void connectCommands();
    void restoreStartState();
    TypedInputs readInputs() const;
    std::array<QPushButton*, 4> commandButtons() const;
    void showStop(const QString& title, const QString& prompt);
    template <class Widget> Widget* control(const char* name) const;

    std::unique_ptr<MessageBoxes> boxes_;
    std::unique_ptr<ViewerLauncher> viewer_;
    std::unique_ptr<RandomSource> random_;
    PredictionFile predictionFile_;
};

} // namespace numir
