#include "application_setup.h"
#include "form1.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    numir::prepareApplication(application);
    numir::Form1 form;
    form.load();
    form.show();
    return application.exec();
}
