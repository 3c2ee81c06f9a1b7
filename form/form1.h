// The behaviour of the program's one window, whatever toolkit draws it: the start-up and the
// four commands, each but Close inside a BusyState. It turns the controls into engine calls
// and the engine's answers into the texts of texts.h; drawing the controls from the control
// table and delivering their clicks is the toolkit's.
#pragma once

#include "file/prediction_file.h"
#include "form_view.h"
#include "random/random_source.h"
#include "settings/prediction_settings.h"
#include "texts.h"

#include <filesystem>

namespace numir {

class Form1 {
  public:
    // The companion settings and numir.txt are looked for in the folder, where the printing
    // program sees them; by default the current one.
    Form1(FormView& view, RandomSource& random, SeenFolder folder = currentSeenFolder());

    // Start-up, once, before the window is first shown.
    void load();

    // The commands, as their buttons trigger them; Close is the toolkit's own.
    void start();
    void reset();
    void viewInNotepad();

  private:
    TypedInputs readInputs() const;
    void restoreStartState();
    void show(const texts::Message& message);

    FormView& view_;
    RandomSource& random_;
    SeenFolder folder_;
    PredictionFile predictionFile_;
};

} // namespace numir
