#include "Unit8.h"

TForm8::TForm8(DataModule& dm, Dialogs& dialogs, QWidget* parent)
    : Form(dialogs, QStringLiteral("Form8"), QStringLiteral("Form8"), parent), dm(dm)
{
}
