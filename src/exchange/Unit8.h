#pragma once

#include "DataModule.h"
#include "Form.h"
#include "SpreadsheetApp.h"

class DBGrid;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class StatusProgress;

// Roster import, import template and arrangement export. The window works
// through a connection and a roster query of its own.
class TForm8 : public Form {
    Q_OBJECT

public:
    explicit TForm8(Dialogs& dialogs, QWidget* parent = nullptr);

    Connection ADOConnection1;
    QuerySlot ADOQuery1{ADOConnection1, QStringLiteral("ADOQuery1")};
    DataSource DataSource1{ADOQuery1};

    // Where each operation gets its spreadsheet application; an empty
    // result means that none can be created.
    SpreadsheetApp::Factory createSpreadsheet = SpreadsheetApp::create;

    QPushButton* BitBtn1;
    QLineEdit* Edit1;
    QPushButton* BitBtn2;
    QPushButton* Button1;
    QPushButton* Button2;
    DBGrid* DBGrid1;
    QLabel* Label2;
    QLabel* Label1;
    QLabel* Label3;
    QLabel* Label4;
    QPushButton* BitBtn3;
    StatusProgress* StatusBar1;
    QProgressBar* ProgressBar1;
    // Beside the progress bar: stops a running import after the current row.
    QPushButton* cancelButton;

    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void Button1Click();
    void Button2Click();

    // Rows above which the import first says how long it will take.
    static constexpr int rowsWithoutAsking = 3000;

protected:
    void FormShow() override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    std::unique_ptr<SpreadsheetApp> createApplication();
    void showFormatError(const QString& cause = {});
    // Quits the application, which offers the export for saving; false, with
    // the reason shown, when the workbook could not be completed and is lost.
    bool handOver(SpreadsheetApp& app);
    bool askToImport(int rows);
    int importRows(const Worksheet& sheet, int rows);

    bool importing = false;
    bool cancelRequested = false;
};
