#include "Unit7.h"

TForm7::TForm7(DataModule& dm, Dialogs& dialogs, QWidget* parent)
    : Form(dialogs, QStringLiteral("Form7"), QStringLiteral("Form7"), parent), dm(dm)
{
}
