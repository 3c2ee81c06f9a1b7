#include "application_setup.h"
#include "form1_window.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    numir::prepareApplication(application);
    numir::Form1Window form;
    form.load();
    form.show();
    return application.exec();
}
