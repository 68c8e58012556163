#include "Unit12.h"

#include "Backup.h"
#include "DataModule.h"
#include "Guard.h"
#include "SlotSteps.h"
#include "Transaction.h"

#include <QDir>
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
    // A complete copy first, so that a wipe in the wrong term can be undone;
    // without it nothing is deleted.
    QString copy;
    try {
        copy = backupDatabase(dm.ADOConnection1);
    } catch (const BackupError& e) {
        dialogs.message(QStringLiteral("备份数据库失败，没有删除任何数据。\n%1").arg(e.message()));
        return;
    }
    const struct {
        QuerySlot& slot;
        const char* statement;
    } steps[] = {
        {dm.ADOQuery1, "delete * from t_cc     "},
        {dm.ADOQuery2, "delete * from t_bjgmd     "},
        {dm.ADOQuery3, "delete * from log      "},
        {dm.ADOQuery5, "delete * from t_kscs    "},
        {dm.ADOQuery8, "delete from t_jkap"},
        {dm.ADOQuery8, "delete from t_jkjs"},
        {dm.ADOQuery8, "delete from t_zw"},
        {dm.ADOQuery8, "delete from t_pkyq"},
    };
    // All or nothing: a full disk or a crash half-way leaves the term whole.
    inTransaction(dm.ADOConnection1, [&] {
        for (const auto& step : steps)
            executeOn(step.slot, step.statement);
        return true;
    });
    dialogs.message(QStringLiteral("初始化成功！！！\n初始化前的数据已备份到：%1")
                        .arg(QDir::toNativeSeparators(QDir::current().relativeFilePath(copy))));
}
