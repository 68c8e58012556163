#pragma once

#include "DataModule.h"
#include "Form.h"

// Roster import, import template and arrangement export.
class TForm8 : public Form {
    Q_OBJECT

public:
    TForm8(DataModule& dm, Dialogs& dialogs, QWidget* parent = nullptr);

private:
    DataModule& dm;
};
