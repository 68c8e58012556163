#include "Unit15.h"

TForm15::TForm15(DataModule& dm, Dialogs& dialogs, QWidget* parent)
    : Form(dialogs, QStringLiteral("Form15"), QStringLiteral("拆分课程编排教室"), parent), dm(dm)
{
}
