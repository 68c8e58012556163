#pragma once

#include "DataModule.h"
#include "Form.h"

// Room assignment and period change.
class TForm4 : public Form {
    Q_OBJECT

public:
    TForm4(DataModule& dm, Dialogs& dialogs, QWidget* parent = nullptr);

private:
    DataModule& dm;
};
