#include "Unit14.h"

TForm14::TForm14(DataModule& dm, Dialogs& dialogs, QWidget* parent)
    : Form(dialogs, QStringLiteral("Form14"), QStringLiteral("考场拆分"), parent), dm(dm)
{
}
