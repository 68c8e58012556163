#include "Unit9.h"

TForm9::TForm9(DataModule& dm, Dialogs& dialogs, QWidget* parent)
    : Form(dialogs, QStringLiteral("Form9"), QStringLiteral("Form9"), parent), dm(dm)
{
}
