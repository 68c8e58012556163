#include "Unit2.h"

TForm2::TForm2(DataModule& dm, Dialogs& dialogs, QWidget* parent)
    : Form(dialogs, QStringLiteral("Form2"), QStringLiteral("Form2"), parent), dm(dm)
{
}
