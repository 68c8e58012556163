#include "Unit9.h"

#include "DBGrid.h"
#include "Guard.h"
#include "ReportEngine.h"
#include "ReportProject.h"
#include "SlotSteps.h"

#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

QComboBox* choiceBox(const QString& text, QWidget* parent)
{
    auto* box = new QComboBox(parent);
    box->setEditable(true);
    // The box offers the rows the database gave: Enter adds nothing to the
    // list and typed text is never completed into another room or time.
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setCompleter(nullptr);
    box->setMinimumContentsLength(22);
    box->setEditText(text);
    return box;
}

// Fills a choice box from a column of an open slot, leaving its text empty.
// Filling is the program's doing, not the clerk's, so it runs no handler.
void fill(QComboBox* box, QuerySlot& slot, const QString& field)
{
    const QSignalBlocker quiet(box);
    box->clear();
    slot.First();
    while (!slot.Eof()) {
        box->addItem(slot.FieldByName(field).AsString().trimmed());
        slot.Next();
    }
    box->setCurrentIndex(-1);
    box->setEditText(QString());
}

// Every row of an open slot, as text, for the report.
DataSet rowsOf(QuerySlot& slot)
{
    DataSet data;
    data.fields = slot.fieldNames();
    for (int row = 0; row < slot.RecordCount(); ++row) {
        QStringList values;
        for (int column = 0; column < data.fields.size(); ++column)
            values << slot.value(row, column).toString();
        data.rows << values;
    }
    return data;
}

} // namespace

TForm9::TForm9(DataModule& dm, Dialogs& dialogs, QWidget* parent)
    : Form(dialogs, QStringLiteral("Form9"), QStringLiteral("Form9"), parent), dm(dm),
      ADODataSet1(dm.ADOConnection1, QStringLiteral("ADODataSet1"))
{
    GroupBox1 = named(new QGroupBox(QStringLiteral("GroupBox1"), this), "GroupBox1");
    Label1 = named(new QLabel(QStringLiteral("考试时间："), GroupBox1), "Label1");
    ComboBox1 = named(choiceBox(QStringLiteral("ComboBox1"), GroupBox1), "ComboBox1");
    Label2 = named(new QLabel(QStringLiteral("教室："), GroupBox1), "Label2");
    ComboBox2 = named(choiceBox(QStringLiteral("ComboBox2"), GroupBox1), "ComboBox2");
    Panel1 = named(new QFrame(this), "Panel1");
    DBGrid1 = named(new DBGrid(Panel1), "DBGrid1");
    Label3 = named(new QLabel(QStringLiteral("总共："), Panel1), "Label3");
    Label4 = named(new QLabel(QStringLiteral("Label4"), Panel1), "Label4");
    Button1 = named(new QPushButton(QStringLiteral("打印"), Panel1), "Button1");
    Button2 = named(new QPushButton(QStringLiteral("退出"), Panel1), "Button2");
    setExitButton(Button2);
    Button1->setDefault(true);

    DBGrid1->setDataSource(dm.DataSource25);
    DBGrid1->setColumns({{"sjxh", QStringLiteral("试卷序号")}, {"kcxh", QStringLiteral("课程序号")},
                         {"xh", QStringLiteral("学号")}, {"xm", QStringLiteral("姓名")},
                         {"kcdm", QStringLiteral("课程代码")}, {"kcmc", QStringLiteral("课程名称")},
                         {"skjs", QStringLiteral("授课教师")}, {"kkyx", QStringLiteral("开课院系")},
                         {"bz", QStringLiteral("备注")}, {"hbk", QStringLiteral("缓补考")},
                         {"jsm", QStringLiteral("教室")}, {"kssj", QStringLiteral("考试时间")}});

    auto* choices = new QHBoxLayout(GroupBox1);
    choices->addWidget(Label1);
    choices->addWidget(ComboBox1);
    choices->addSpacing(24);
    choices->addWidget(Label2);
    choices->addWidget(ComboBox2);
    choices->addStretch();
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(Label3);
    bottom->addWidget(Label4);
    bottom->addStretch();
    bottom->addWidget(Button1);
    bottom->addWidget(Button2);
    auto* panel = new QVBoxLayout(Panel1);
    panel->setContentsMargins(0, 0, 0, 0);
    panel->addWidget(DBGrid1, 1);
    panel->addLayout(bottom);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(GroupBox1);
    layout->addWidget(Panel1, 1);
    resize(960, 600);

    connect(ComboBox1, &QComboBox::editTextChanged, this, guarded(dialogs, [this] { ComboBox1Change(); }));
    connect(ComboBox2, &QComboBox::editTextChanged, this, guarded(dialogs, [this] { ComboBox2Change(); }));
    connect(Button1, &QPushButton::clicked, this, guarded(dialogs, [this] { Button1Click(); }));
    connect(Button2, &QPushButton::clicked, this, guarded(dialogs, [this] { Button2Click(); }));
}

void TForm9::FormShow()
{
    openOn(dm.ADOQuery23, "select kssj from t_cc order by kssj     ");
    if (dm.ADOQuery23.RecordCount() > 0)
        fill(ComboBox1, dm.ADOQuery23, QStringLiteral("kssj"));
}

void TForm9::ComboBox1Change()
{
    openOn(dm.ADOQuery24, SqlText("SELECT distinct jsm FROM hbkap where kssj='") + ComboBox1->currentText() + "' ");
    if (dm.ADOQuery24.RecordCount() > 0)
        fill(ComboBox2, dm.ADOQuery24, QStringLiteral("jsm"));
}

void TForm9::ComboBox2Change()
{
    QuerySlot& list = dm.ADOQuery25;
    list.Close();
    list.SQL.Clear();
    list.SQL.Add("SELECT sjxh,kcxh, xh,xm,kcdm,kcmc,skjs,kkyx,bz,hbk,jsm,kssj");
    list.SQL.Add("FROM hbkap                                        ");
    list.SQL.Add(SqlText("where kssj='") + ComboBox1->currentText() + "' and jsm='" + ComboBox2->currentText()
                 + "'  order by sjxh,kcxh,xh                                       ");
    list.Open();
    Label4->setText(QString::number(list.RecordCount()));

    QuerySlot& write = dm.ADOQuery20;
    executeOn(write, "delete * from t_print1");
    list.First();
    while (!list.Eof()) {
        const auto text = [&list](const char* field) { return list.FieldByName(field).AsString().trimmed(); };
        write.Close();
        write.SQL.Clear();
        write.SQL.Add("INSERT INTO t_print1(sjxh,kcxh,xh,xm,kcdm,kcmc,skjs,kkyx,bz,hbk,js,kssj) ");
        write.SQL.Add(SqlText("VALUES('") + text("sjxh") + "','" + text("kcxh") + "','" + text("xh") + "','"
                      + text("xm") + "','" + text("kcdm") + "','" + text("kcmc") + "','" + text("skjs") + "','"
                      + text("kkyx") + "','" + text("bz") + "','" + text("hbk") + "','" + text("jsm") + "','"
                      + text("kssj") + "')          ");
        write.ExecSQL();
        list.Next();
    }
}

void TForm9::Button1Click()
{
    QString error;
    // Loaded afresh on every print, so a changed layout needs no restart.
    const auto RvProject1 = ReportProject::load(QStringLiteral(".\\data\\Project2.rav"), &error);
    if (!RvProject1) {
        dialogs.error(error);
        return;
    }
    const Report* report = RvProject1->find(QStringLiteral("Report2"));
    if (!report)
        return;
    openOn(ADODataSet1, "select * from t_print1");
    const ReportEngine engine(RvSystem1);
    const DataSet rows = rowsOf(ADODataSet1);
    error = presetOutput ? engine.run(*report, rows, *presetOutput, {}, this) : engine.execute(*report, rows, this);
    ADODataSet1.Close();
    if (!error.isEmpty())
        dialogs.error(error);
}

void TForm9::Button2Click()
{
    close();
}
