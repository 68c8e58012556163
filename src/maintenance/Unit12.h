#pragma once

#include "Form.h"

class DataModule;
class QPushButton;

// Data initialization: empties the working tables of a term in one
// transaction, after a complete copy; rooms stay.
class TForm12 : public Form {
    Q_OBJECT

public:
    TForm12(DataModule& dm, Dialogs& dialogs, QWidget* parent = nullptr);

    QPushButton* Button1;

    void Button1Click();

private:
    DataModule& dm;
};
