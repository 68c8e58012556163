#pragma once

#include "DataModule.h"
#include "Form.h"

// Scheduling: validates the roster and places every paper in a period.
class TForm2 : public Form {
    Q_OBJECT

public:
    TForm2(DataModule& dm, Dialogs& dialogs, QWidget* parent = nullptr);

private:
    DataModule& dm;
};
