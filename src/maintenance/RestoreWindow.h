#pragma once

#include "Form.h"

class DataModule;
class QPushButton;
class QTableWidget;

// "恢复数据": lists the copies that data initialization and earlier restores
// made, and puts the chosen one back after a confirmation.
class RestoreWindow : public Form {
    Q_OBJECT

public:
    RestoreWindow(DataModule& dm, Dialogs& dialogs, QWidget* parent = nullptr);

    QTableWidget* copyList;
    QPushButton* restoreButton;
    QPushButton* closeButton;

    void restoreClick();

protected:
    void FormShow() override;

private:
    void fillList();

    DataModule& dm;
};
