// zantodemo: the demonstration program of TZantoquiller.
#include "mainform.h"

#include <zantoquiller/application.h>

int main(int argc, char *argv[])
{
    Zanto::TApplication application(argc, argv);
    Zanto::TMainForm MainForm;
    MainForm.show();
    return application.exec();
}
