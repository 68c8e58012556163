#pragma once

#include "Form.h"
#include "periods/Rules.h"

class DataModule;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;

// "排考要求": the clerk's rules for the exam times, listed with their papers
// by number and course name, added one at a time and deleted.
class RulesWindow : public Form {
    Q_OBJECT

public:
    RulesWindow(DataModule& dm, Dialogs& dialogs, QWidget* parent = nullptr);

    QTableWidget* rulesTable;
    QComboBox* ruleKindBox;
    QLineEdit* rulePaperEdit;
    QLineEdit* ruleOtherPaperEdit;
    QDateEdit* ruleDateEdit;
    QLineEdit* ruleSittingEdit;
    QSpinBox* ruleNumberBox;
    QSpinBox* ruleDaysBox;
    QSpinBox* ruleWeightBox;
    QPushButton* addRuleButton;
    QPushButton* deleteRuleButton;
    QPushButton* closeRulesButton;

    void addRuleClick();
    void deleteRuleClick();

protected:
    void FormShow() override;

private:
    void showRules();
    void showFieldsOfKind();

    DataModule& dm;
    QList<ExamRule> shown;
};
