#include "RulesWindow.h"

#include "DataModule.h"
#include "Guard.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>
#include <stdexcept>

RulesWindow::RulesWindow(DataModule& dm, Dialogs& dialogs, QWidget* parent)
    : Form(dialogs, QStringLiteral("rulesWindow"), QStringLiteral("排考要求"), parent), dm(dm)
{
    rulesTable = named(new QTableWidget(0, 3, this), "rulesTable");
    rulesTable->setHorizontalHeaderLabels({QStringLiteral("种类"), QStringLiteral("要求"), QStringLiteral("说明")});
    rulesTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    rulesTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    rulesTable->setSelectionMode(QAbstractItemView::SingleSelection);
    rulesTable->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    rulesTable->verticalHeader()->hide();

    ruleKindBox = named(new QComboBox(this), "ruleKindBox");
    for (const RuleKind kind : ruleKinds())
        ruleKindBox->addItem(ruleKindName(kind));
    rulePaperEdit = named(new QLineEdit(this), "rulePaperEdit");
    ruleOtherPaperEdit = named(new QLineEdit(this), "ruleOtherPaperEdit");
    ruleDateEdit = named(new QDateEdit(QDate::currentDate(), this), "ruleDateEdit");
    ruleDateEdit->setCalendarPopup(true);
    ruleDateEdit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    ruleSittingEdit = named(new QLineEdit(this), "ruleSittingEdit");
    ruleSittingEdit->setPlaceholderText(QStringLiteral("如 08:00-10:00"));
    ruleNumberBox = named(new QSpinBox(this), "ruleNumberBox");
    ruleNumberBox->setRange(0, 100000);
    ruleDaysBox = named(new QSpinBox(this), "ruleDaysBox");
    ruleDaysBox->setRange(0, 365);
    ruleWeightBox = named(new QSpinBox(this), "ruleWeightBox");
    ruleWeightBox->setRange(0, 1000);
    addRuleButton = named(new QPushButton(QStringLiteral("添加"), this), "addRuleButton");
    deleteRuleButton = named(new QPushButton(QStringLiteral("删除"), this), "deleteRuleButton");
    closeRulesButton = named(new QPushButton(QStringLiteral("关闭"), this), "closeRulesButton");
    addRuleButton->setDefault(true);
    deleteRuleButton->setAutoDefault(false);
    closeRulesButton->setAutoDefault(false);
    setExitButton(closeRulesButton);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("种类："), ruleKindBox);
    form->addRow(QStringLiteral("试卷序号："), rulePaperEdit);
    form->addRow(QStringLiteral("另一份试卷序号："), ruleOtherPaperEdit);
    form->addRow(QStringLiteral("日期："), ruleDateEdit);
    form->addRow(QStringLiteral("场次时间："), ruleSittingEdit);
    form->addRow(QStringLiteral("分钟／场数／人数："), ruleNumberBox);
    form->addRow(QStringLiteral("连续天数："), ruleDaysBox);
    form->addRow(QStringLiteral("权重："), ruleWeightBox);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(addRuleButton);
    buttons->addWidget(deleteRuleButton);
    buttons->addStretch();
    buttons->addWidget(closeRulesButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(rulesTable, 1);
    layout->addLayout(form);
    layout->addLayout(buttons);
    resize(640, 520);

    connect(ruleKindBox, &QComboBox::currentIndexChanged, this, [this] { showFieldsOfKind(); });
    connect(addRuleButton, &QPushButton::clicked, this, guarded(dialogs, [this] { addRuleClick(); }));
    connect(deleteRuleButton, &QPushButton::clicked, this, guarded(dialogs, [this] { deleteRuleClick(); }));
    connect(closeRulesButton, &QPushButton::clicked, this, [this] { close(); });
    showFieldsOfKind();
}

void RulesWindow::FormShow()
{
    showRules();
}

void RulesWindow::showFieldsOfKind()
{
    const RuleFields fields = ruleFields(ruleKinds()[ruleKindBox->currentIndex()]);
    rulePaperEdit->setEnabled(fields.paper);
    ruleOtherPaperEdit->setEnabled(fields.otherPaper);
    ruleDateEdit->setEnabled(fields.date);
    ruleSittingEdit->setEnabled(fields.sitting);
    ruleNumberBox->setEnabled(fields.number);
    ruleDaysBox->setEnabled(fields.days);
    ruleWeightBox->setEnabled(fields.weight);
}

void RulesWindow::showRules()
{
    shown = readRules(dm);
    const QHash<QString, QString> courses = paperCourses(dm);
    rulesTable->setRowCount(int(shown.size()));
    for (int r = 0; r < shown.size(); ++r) {
        const QStringList missing = missingPapers(shown[r], courses);
        const QStringList cells{ruleKindName(shown[r].kind), ruleText(shown[r], courses),
                                missing.isEmpty() ? QString()
                                                  : QStringLiteral("试卷 %1 已不存在").arg(missing.join(QStringLiteral("、")))};
        for (int c = 0; c < cells.size(); ++c)
            rulesTable->setItem(r, c, new QTableWidgetItem(cells[c]));
        if (!missing.isEmpty())
            rulesTable->item(r, 2)->setForeground(QColor(0xb0, 0, 0));
    }
    rulesTable->resizeColumnToContents(0);
}

void RulesWindow::addRuleClick()
{
    ExamRule rule;
    rule.kind = ruleKinds()[ruleKindBox->currentIndex()];
    rule.paper = rulePaperEdit->text();
    rule.otherPaper = ruleOtherPaperEdit->text();
    rule.date = ruleDateEdit->date();
    rule.sitting = ruleSittingEdit->text();
    rule.number = ruleNumberBox->value();
    rule.days = ruleDaysBox->value();
    rule.weight = ruleWeightBox->value();
    if (const QString fault = ruleFault(rule); !fault.isEmpty()) {
        dialogs.message(fault);
        return;
    }
    addRule(dm, rule);
    showRules();
    rulesTable->selectRow(rulesTable->rowCount() - 1);
}

void RulesWindow::deleteRuleClick()
{
    const int row = rulesTable->currentRow();
    if (row < 0 || row >= shown.size()) {
        dialogs.message(QStringLiteral("请先在列表中选择要删除的要求"));
        return;
    }
    deleteRule(dm, shown[row].id);
    showRules();
}
