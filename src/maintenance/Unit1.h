#pragma once

#include "DataModule.h"
#include "Form.h"

// The roster query and editing window. It owns the connection and the shared
// query slots that every window works through.
class TForm1 : public Form {
    Q_OBJECT

public:
    explicit TForm1(Dialogs& dialogs, QWidget* parent = nullptr);

    DataModule& data() { return dm; }

private:
    DataModule dm;
};
