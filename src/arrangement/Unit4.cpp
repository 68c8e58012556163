#include "Unit4.h"

TForm4::TForm4(DataModule& dm, Dialogs& dialogs, QWidget* parent)
    : Form(dialogs, QStringLiteral("Form4"), QStringLiteral("Form4"), parent), dm(dm)
{
}
