#pragma once

#include "DataModule.h"
#include "Form.h"

// Exam-room list printing.
class TForm9 : public Form {
    Q_OBJECT

public:
    TForm9(DataModule& dm, Dialogs& dialogs, QWidget* parent = nullptr);

private:
    DataModule& dm;
};
