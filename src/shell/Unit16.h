#pragma once

#include "Form.h"

// The version window: three dates, nothing else.
class TForm16 : public Form {
    Q_OBJECT

public:
    explicit TForm16(Dialogs& dialogs, QWidget* parent = nullptr);
};
