#pragma once

#include "DataModule.h"
#include "Form.h"

// Paper numbering, department by department.
class TForm7 : public Form {
    Q_OBJECT

public:
    TForm7(DataModule& dm, Dialogs& dialogs, QWidget* parent = nullptr);

private:
    DataModule& dm;
};
