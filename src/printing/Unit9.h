#pragma once

#include "DataModule.h"
#include "Form.h"
#include "ReportOutput.h"
#include "ReportSettings.h"
#include "RoomPrinting.h"

#include <optional>

class ComboBox;
class DBGrid;
class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;

// Exam-room list printing: the clerk picks an exam time and a room, the
// window lists that room's candidates, copies them into the print table
// t_print1 and prints the report "Report2" over it.
class TForm9 : public Form {
    Q_OBJECT

public:
    TForm9(DataModule& dm, Dialogs& dialogs, QWidget* parent = nullptr);

    QGroupBox* GroupBox1;
    QLabel* Label1;
    ComboBox* ComboBox1;
    QLabel* Label2;
    ComboBox* ComboBox2;
    QFrame* Panel1;
    DBGrid* DBGrid1;
    QLabel* Label3;
    QLabel* Label4;
    QPushButton* Button1;
    QPushButton* Button2;
    // Prints every room of the chosen exam time (every time when the box is
    // blank) in one job.
    QPushButton* printAllButton;

    // The report system's dialogs and texts.
    ReportSettings RvSystem1;
    // Unset, the print button asks the clerk through the setup dialog; set,
    // the report goes straight to these options (how the tests print a PDF).
    std::optional<OutputOptions> presetOutput;

    void ComboBox1Change();
    void ComboBox2Change();
    void Button1Click();
    void Button2Click();
    void printAllButtonClick();

protected:
    void FormShow() override;

private:
    PrintSetup printSetup();

    DataModule& dm;
    // What the report reads: the print table, open only while a report runs.
    QuerySlot ADODataSet1;
};
