#include "Unit12.h"

#include "DataModule.h"
#include "Guard.h"
#include "SlotSteps.h"

#include <QPushButton>
#include <QVBoxLayout>

TForm12::TForm12(DataModule& dm, Dialogs& dialogs, QWidget* parent)
    : Form(dialogs, QStringLiteral("Form12"), QStringLiteral("Form12"), parent), dm(dm)
{
    Button1 = named(new QPushButton(QStringLiteral("初始化"), this), "Button1");
    Button1->setDefault(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Button1);
    resize(240, 120);
    connect(Button1, &QPushButton::clicked, this, guarded(dialogs, [this] { Button1Click(); }));
}

void TForm12::Button1Click()
{
    const struct {
        QuerySlot& slot;
        const char* statement;
    } steps[] = {
        {dm.ADOQuery1, "delete * from t_cc     "},
        {dm.ADOQuery2, "delete * from t_bjgmd     "},
        {dm.ADOQuery3, "delete * from log      "},
        {dm.ADOQuery5, "delete * from t_kscs    "},
    };
    for (const auto& step : steps)
        executeOn(step.slot, step.statement);
    dialogs.message(QStringLiteral("初始化成功！！！"));
}
