#pragma once

#include "DataModule.h"
#include "Form.h"

// Exam-room split: moves a course off its paper onto a paper of its own.
class TForm14 : public Form {
    Q_OBJECT

public:
    TForm14(DataModule& dm, Dialogs& dialogs, QWidget* parent = nullptr);

private:
    DataModule& dm;
};
