#include "Unit1.h"

#include "ComboBox.h"
#include "DBGrid.h"
#include "Guard.h"
#include "SlotSteps.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <tuple>

namespace {

QLabel* valueLabel(QWidget* parent, const char* name)
{
    auto* label = named(new QLabel(parent), name);
    label->setMinimumWidth(90);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

TForm1::TForm1(Dialogs& dialogs, QWidget* parent)
    : Form(dialogs, QStringLiteral("Form1"), QStringLiteral("Form1"), parent)
{
    createControls();
    layOut();
    connectHandlers();
}

void TForm1::createControls()
{
    GroupBox1 = named(new QGroupBox(QStringLiteral("查询方式"), this), "GroupBox1");
    RadioButton1 = named(new QRadioButton(GroupBox1), "RadioButton1");
    RadioButton2 = named(new QRadioButton(GroupBox1), "RadioButton2");
    RadioButton3 = named(new QRadioButton(GroupBox1), "RadioButton3");
    RadioButton4 = named(new QRadioButton(GroupBox1), "RadioButton4");
    RadioButton1->setChecked(true);
    Label2 = named(new QLabel(QStringLiteral("按课程序号查询："), GroupBox1), "Label2");
    Label1 = named(new QLabel(QStringLiteral("按照学号查询："), GroupBox1), "Label1");
    Label3 = named(new QLabel(QStringLiteral("按课程代码查询："), GroupBox1), "Label3");
    Label4 = named(new QLabel(QStringLiteral("按课程名称："), GroupBox1), "Label4");
    Edit1 = named(new QLineEdit(GroupBox1), "Edit1");
    Edit2 = named(new QLineEdit(GroupBox1), "Edit2");
    Edit3 = named(new QLineEdit(GroupBox1), "Edit3");
    Edit4 = named(new QLineEdit(GroupBox1), "Edit4");
    Button1 = named(new QPushButton(QStringLiteral("查询"), GroupBox1), "Button1");
    Label30 = valueLabel(this, "Label30");

    DBGrid1 = named(new DBGrid(this), "DBGrid1");
    Label11 = named(new QLabel(QStringLiteral("总共："), this), "Label11");
    Label12 = valueLabel(this, "Label12");

    GroupBox2 = named(new QGroupBox(QStringLiteral("增加学生"), this), "GroupBox2");
    Label7 = named(new QLabel(QStringLiteral("学号："), GroupBox2), "Label7");
    Edit5 = named(new QLineEdit(GroupBox2), "Edit5");
    Label14 = named(new QLabel(QStringLiteral("姓名："), GroupBox2), "Label14");
    Edit9 = named(new QLineEdit(GroupBox2), "Edit9");
    Label9 = named(new QLabel(QStringLiteral("试卷序号1："), GroupBox2), "Label9");
    Label15 = valueLabel(GroupBox2, "Label15");
    Label31 = named(new QLabel(QStringLiteral("试卷序号："), GroupBox2), "Label31");
    Label32 = valueLabel(GroupBox2, "Label32");
    Label8 = named(new QLabel(QStringLiteral("课程序号："), GroupBox2), "Label8");
    Label16 = valueLabel(GroupBox2, "Label16");
    Label28 = named(new QLabel(QStringLiteral("课程代码："), GroupBox2), "Label28");
    Label29 = valueLabel(GroupBox2, "Label29");
    Label13 = named(new QLabel(QStringLiteral("课程名称："), GroupBox2), "Label13");
    Label17 = valueLabel(GroupBox2, "Label17");
    Label18 = named(new QLabel(QStringLiteral("授课教师："), GroupBox2), "Label18");
    Label19 = valueLabel(GroupBox2, "Label19");
    Label20 = named(new QLabel(QStringLiteral("开课院系："), GroupBox2), "Label20");
    Label21 = valueLabel(GroupBox2, "Label21");
    Label22 = named(new QLabel(QStringLiteral("备注："), GroupBox2), "Label22");
    Label23 = valueLabel(GroupBox2, "Label23");
    Label10 = named(new QLabel(QStringLiteral("缓补考："), GroupBox2), "Label10");
    ComboBox1 = named(new ComboBox(GroupBox2), "ComboBox1");
    ComboBox1->addItems({QStringLiteral("补考"), QStringLiteral("缓考")});
    Label24 = named(new QLabel(QStringLiteral("考试时间："), GroupBox2), "Label24");
    Label25 = valueLabel(GroupBox2, "Label25");
    Label26 = named(new QLabel(QStringLiteral("教室："), GroupBox2), "Label26");
    Label27 = valueLabel(GroupBox2, "Label27");
    Button2 = named(new QPushButton(QStringLiteral("增加"), GroupBox2), "Button2");
    Button5 = named(new QPushButton(QStringLiteral("修改"), GroupBox2), "Button5");
    Button4 = named(new QPushButton(QStringLiteral("删除"), GroupBox2), "Button4");
    Button3 = named(new QPushButton(QStringLiteral("退出"), this), "Button3");
    setExitButton(Button3);

    DBGrid1->setDataSource(dm.DataSource21);
    DBGrid1->setColumns({
        {QStringLiteral("sjxh"), QStringLiteral("试卷序号")},
        {QStringLiteral("kcxh"), QStringLiteral("课程序号")},
        {QStringLiteral("xh"), QStringLiteral("学号")},
        {QStringLiteral("xm"), QStringLiteral("姓名")},
        {QStringLiteral("kcdm"), QStringLiteral("课程代码")},
        {QStringLiteral("kcmc"), QStringLiteral("课程名称")},
        {QStringLiteral("skjs"), QStringLiteral("授课教师")},
        {QStringLiteral("kkyx"), QStringLiteral("开课院系")},
        {QStringLiteral("bz"), QStringLiteral("备注")},
        {QStringLiteral("hbk"), QStringLiteral("缓补考")},
        {QStringLiteral("kssj"), QStringLiteral("考试时间")},
        {QStringLiteral("jsm"), QStringLiteral("教室")},
    });
    // All twelve columns fit the window's width; name and time need more room.
    DBGrid1->horizontalHeader()->setDefaultSectionSize(72);
    DBGrid1->horizontalHeader()->resizeSection(5, 104);
    DBGrid1->horizontalHeader()->resizeSection(10, 124);
}

void TForm1::layOut()
{
    auto* search = new QGridLayout(GroupBox1);
    const QList<std::tuple<QRadioButton*, QLabel*, QLineEdit*>> ways = {
        {RadioButton1, Label2, Edit1}, {RadioButton2, Label1, Edit2},
        {RadioButton3, Label3, Edit3}, {RadioButton4, Label4, Edit4}};
    for (int row = 0; row < ways.size(); ++row) {
        const auto [radio, label, edit] = ways[row];
        label->setBuddy(edit);
        search->addWidget(radio, row, 0);
        search->addWidget(label, row, 1);
        search->addWidget(edit, row, 2);
    }
    search->addWidget(Button1, 0, 3, 4, 1, Qt::AlignVCenter);
    search->setColumnMinimumWidth(2, 200);

    auto* top = new QHBoxLayout;
    top->addWidget(GroupBox1);
    top->addWidget(Label30, 0, Qt::AlignBottom);
    top->addStretch();

    auto* count = new QHBoxLayout;
    count->addWidget(Label11);
    count->addWidget(Label12);
    count->addStretch();

    // Label and value pairs, three pairs to a line.
    const QList<std::pair<QLabel*, QWidget*>> pairs = {
        {Label7, Edit5}, {Label14, Edit9}, {Label10, ComboBox1},
        {Label9, Label15}, {Label31, Label32}, {Label8, Label16},
        {Label28, Label29}, {Label13, Label17}, {Label18, Label19},
        {Label20, Label21}, {Label22, Label23}, {Label24, Label25},
        {Label26, Label27}};
    auto* editing = new QGridLayout(GroupBox2);
    for (int i = 0; i < pairs.size(); ++i) {
        editing->addWidget(pairs[i].first, i / 3, 2 * (i % 3), Qt::AlignRight);
        editing->addWidget(pairs[i].second, i / 3, 2 * (i % 3) + 1);
        editing->setColumnStretch(2 * (i % 3) + 1, 1);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button2);
    buttons->addWidget(Button5);
    buttons->addWidget(Button4);
    editing->addLayout(buttons, 4, 2, 1, 4);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(GroupBox2, 1);
    bottom->addWidget(Button3, 0, Qt::AlignBottom);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(DBGrid1, 1);
    layout->addLayout(count);
    layout->addLayout(bottom);
    resize(1000, 680);
}

void TForm1::connectHandlers()
{
    connect(Button1, &QPushButton::clicked, this, guarded(dialogs, [this] { Button1Click(); }));
    connect(RadioButton1, &QRadioButton::clicked, this, guarded(dialogs, [this] { RadioButton1Click(); }));
    connect(RadioButton2, &QRadioButton::clicked, this, guarded(dialogs, [this] { RadioButton2Click(); }));
    connect(RadioButton3, &QRadioButton::clicked, this, guarded(dialogs, [this] { RadioButton3Click(); }));
    connect(RadioButton4, &QRadioButton::clicked, this, guarded(dialogs, [this] { RadioButton4Click(); }));
    connect(DBGrid1, &DBGrid::CellClick, this, guarded(dialogs, [this](const QString& field) { DBGrid1CellClick(field); }));
    connect(Button2, &QPushButton::clicked, this, guarded(dialogs, [this] { Button2Click(); }));
    connect(Button5, &QPushButton::clicked, this, guarded(dialogs, [this] { Button5Click(); }));
    connect(Button4, &QPushButton::clicked, this, guarded(dialogs, [this] { Button4Click(); }));
    connect(Button3, &QPushButton::clicked, this, guarded(dialogs, [this] { Button3Click(); }));
}

void TForm1::FormShow()
{
    rowCopied = false;
    editedRow = -1;
}

// Setting the text also marks a box as not typed in by the user.
void TForm1::emptyEditBoxes()
{
    Edit5->setText(QString());
    Edit9->setText(QString());
}

SqlText TForm1::searchStatement() const
{
    if (RadioButton1->isChecked())
        return SqlText("select * FROM hbkap where kcxh='") + Edit1->text() + "' order by kssj asc,sjxh asc,kcdm,kcxh        ";
    if (RadioButton2->isChecked())
        return SqlText("select * FROM hbkap where hbkap.xh='") + Edit2->text() + "' order by kssj asc,hbkap.sjxh asc,hbkap.kcdm,hbkap.kcxh          ";
    if (RadioButton3->isChecked())
        return SqlText("select * FROM hbkap where hbkap.kcdm='") + Edit3->text() + "' order by kssj asc,hbkap.sjxh asc,hbkap.kcdm,hbkap.kcxh              ";
    return SqlText("  select * FROM hbkap where hbkap.kcmc like \"%") + Edit4->text() + "%\"  order by kssj asc,hbkap.sjxh asc,hbkap.kcdm,hbkap.kcxh";
}

void TForm1::Button1Click()
{
    emptyEditBoxes();
    QuerySlot& q = dm.ADOQuery21;
    openOn(q, searchStatement());
    editedRow = -1;
    const QString count = QString::number(q.RecordCount());
    Label12->setText(count);
    if (RadioButton1->isChecked())
        Label30->setText(count);
    if (q.RecordCount() == 0)
        dialogs.message(QStringLiteral("查询不到"));
}

void TForm1::keepOnlySearchBox(QLineEdit* kept)
{
    for (QLineEdit* box : {Edit1, Edit2, Edit3, Edit4})
        if (box != kept)
            box->clear();
}

void TForm1::RadioButton1Click() { keepOnlySearchBox(Edit1); }
void TForm1::RadioButton2Click() { keepOnlySearchBox(Edit2); }
void TForm1::RadioButton3Click() { keepOnlySearchBox(Edit3); }
void TForm1::RadioButton4Click() { keepOnlySearchBox(Edit4); }

void TForm1::DBGrid1CellClick(const QString&)
{
    QuerySlot& q = dm.ADOQuery21;
    const auto field = [&q](const char* name) { return q.FieldByName(QString::fromLatin1(name)).AsString(); };
    Edit5->setText(field("xh"));
    Edit9->setText(field("xm"));
    Label15->setText(field("sjxh"));
    Label32->setText(field("sjxh"));
    Label16->setText(field("kcxh"));
    Label29->setText(field("kcdm"));
    Label17->setText(field("kcmc"));
    Label19->setText(field("skjs"));
    Label21->setText(field("kkyx"));
    Label23->setText(field("bz"));
    ComboBox1->setCurrentText(field("hbk"));
    Label25->setText(field("kssj"));
    Label27->setText(field("jsm"));
    rowCopied = true;
    editedRow = q.currentRow();
}

// Adding and changing work from a clicked row of an open result; without one
// the editing group holds nothing trustworthy to write.
bool TForm1::refuseWithoutClickedRow(bool clicked)
{
    if (dm.ADOQuery21.Active() && clicked)
        return false;
    dialogs.message(QStringLiteral("请先查询，并在查询结果中点击一行"));
    return true;
}

void TForm1::Button2Click()
{
    if (refuseWithoutClickedRow(rowCopied))
        return;
    if (Edit5->text().trimmed().isEmpty()) {
        dialogs.message(QStringLiteral("学号不能为空"));
        return;
    }
    QuerySlot& q = dm.ADOQuery21;
    q.Append();
    q.FieldByName("sjxh").setAsString(Label32->text());
    q.FieldByName("kcxh").setAsString(Label16->text());
    q.FieldByName("xh").setAsString(Edit5->text().trimmed());
    q.FieldByName("xm").setAsString(Edit9->text().trimmed());
    q.FieldByName("kcdm").setAsString(Label29->text());
    q.FieldByName("kcmc").setAsString(Label17->text());
    q.FieldByName("skjs").setAsString(Label19->text());
    q.FieldByName("kkyx").setAsString(Label21->text());
    q.FieldByName("bz").setAsString(Label23->text());
    q.FieldByName("hbk").setAsString(ComboBox1->currentText().trimmed());
    q.FieldByName("kssj").setAsString(Label25->text());
    q.FieldByName("jsm").setAsString(Label27->text());
    q.Post();
    editedRow = q.currentRow();
    dialogs.message(QStringLiteral("添加成功"));
}

void TForm1::Button5Click()
{
    QuerySlot& q = dm.ADOQuery21;
    if (refuseWithoutClickedRow(editedRow >= 0 && editedRow < q.RecordCount()))
        return;
    if (Edit5->isModified() && Edit5->text().trimmed().isEmpty()) {
        dialogs.message(QStringLiteral("学号不能为空"));
        return;
    }
    q.moveTo(editedRow);
    q.Edit();
    if (Edit5->isModified())
        q.FieldByName("xh").setAsString(Edit5->text().trimmed());
    if (Edit9->isModified())
        q.FieldByName("xm").setAsString(Edit9->text().trimmed());
    q.Post();
    dialogs.message(QStringLiteral("修改成功"));
}

void TForm1::Button4Click()
{
    if (!dialogs.confirm(QStringLiteral("是否删除？ ")))
        return;
    QuerySlot& q = dm.ADOQuery17;
    executeOn(q, SqlText("delete * FROM t_bjgmd where xh='") + Edit5->text() + "'  and  sjxh='" + Label15->text()
              + "' and kcxh='" + Label16->text() + "' and kcdm='" + Label29->text() + "' and kcmc='" + Label17->text()
              + "' and  kkyx='" + Label21->text() + "' and  skjs='" + Label19->text() + "' ");
    // The grid keeps showing the row, but there is no roster row left to change.
    editedRow = -1;
    dialogs.message(q.RowsAffected() > 0 ? QStringLiteral("删除成功") : QStringLiteral("该记录已被删除或修改，请重新查询"));
}

void TForm1::Button3Click()
{
    for (QuerySlot* q : {&dm.ADOQuery21, &dm.ADOQuery19, &dm.ADOQuery15, &dm.ADOQuery17})
        q->Close();
    Label12->clear();
    emptyEditBoxes();
    for (QLabel* label : {Label15, Label16, Label17, Label19, Label21, Label23, Label25, Label27, Label29, Label32})
        label->clear();
    rowCopied = false;
    editedRow = -1;
    close();
}
