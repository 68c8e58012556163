#pragma once

#include "DataModule.h"
#include "Form.h"

// Rooms for the papers that have none, split papers first of all.
class TForm15 : public Form {
    Q_OBJECT

public:
    TForm15(DataModule& dm, Dialogs& dialogs, QWidget* parent = nullptr);

private:
    DataModule& dm;
};
