#include "Unit6.h"

TForm6::TForm6(DataModule& dm, Dialogs& dialogs, QWidget* parent)
    : Form(dialogs, QStringLiteral("Form6"), QStringLiteral("Form6"), parent), dm(dm)
{
}
