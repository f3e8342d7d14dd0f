// zantodemo: the demonstration program of TZantoquiller.
#include "mainform.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    Zanto::TMainForm MainForm;
    MainForm.show();
    return application.exec();
}
