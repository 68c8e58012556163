#pragma once

#include "DataModule.h"
#include "Form.h"

// Exam times of the periods.
class TForm6 : public Form {
    Q_OBJECT

public:
    TForm6(DataModule& dm, Dialogs& dialogs, QWidget* parent = nullptr);

private:
    DataModule& dm;
};
