#include "form1_win32.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    numir::Form1Win32 form(instance);
    form.load();
    form.show(showCommand);
    return form.runMessageLoop();
}
