#include "Unit1.h"

TForm1::TForm1(Dialogs& dialogs, QWidget* parent)
    : Form(dialogs, QStringLiteral("Form1"), QStringLiteral("Form1"), parent)
{
}
