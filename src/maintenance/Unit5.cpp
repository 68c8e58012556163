#include "Unit5.h"

#include "DBGrid.h"
#include "DataModule.h"
#include "Guard.h"
#include "RoomSheet.h"
#include "RoomUse.h"
#include "SlotSteps.h"
#include "Workbook.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

TForm5::TForm5(DataModule& dm, Dialogs& dialogs, QWidget* parent)
    : Form(dialogs, QStringLiteral("Form5"), QStringLiteral("Form5"), parent), dm(dm)
{
    DBGrid1 = named(new DBGrid(this), "DBGrid1");
    GroupBox1 = named(new QGroupBox(QStringLiteral("增加教室"), this), "GroupBox1");
    Label1 = named(new QLabel(QStringLiteral("教室："), GroupBox1), "Label1");
    Edit1 = named(new QLineEdit(GroupBox1), "Edit1");
    Label2 = named(new QLabel(QStringLiteral("容纳人数："), GroupBox1), "Label2");
    Edit2 = named(new QLineEdit(GroupBox1), "Edit2");
    rowsLabel = named(new QLabel(QStringLiteral("排数："), GroupBox1), "rowsLabel");
    rowsEdit = named(new QLineEdit(GroupBox1), "rowsEdit");
    columnsLabel = named(new QLabel(QStringLiteral("列数："), GroupBox1), "columnsLabel");
    columnsEdit = named(new QLineEdit(GroupBox1), "columnsEdit");
    rowsEdit->setPlaceholderText(QStringLiteral("可不填"));
    columnsEdit->setPlaceholderText(QStringLiteral("可不填"));
    Button1 = named(new QPushButton(QStringLiteral("增加"), GroupBox1), "Button1");
    GroupBox2 = named(new QGroupBox(QStringLiteral("删除教室"), this), "GroupBox2");
    Label3 = named(new QLabel(QStringLiteral("教室："), GroupBox2), "Label3");
    Edit3 = named(new QLineEdit(GroupBox2), "Edit3");
    Button2 = named(new QPushButton(QStringLiteral("删除"), GroupBox2), "Button2");
    Button3 = named(new QPushButton(QStringLiteral("退出"), this), "Button3");
    importRoomsButton = named(new QPushButton(QStringLiteral("导入教室"), this), "importRoomsButton");
    setExitButton(Button3);

    DBGrid1->setDataSource(dm.DataSource9);
    DBGrid1->setColumns({{QStringLiteral("教室名称"), {}}, {QStringLiteral("容纳人数"), {}}});

    auto* add = new QGridLayout(GroupBox1);
    add->addWidget(Label1, 0, 0);
    add->addWidget(Edit1, 0, 1);
    add->addWidget(Label2, 1, 0);
    add->addWidget(Edit2, 1, 1);
    add->addWidget(rowsLabel, 2, 0);
    add->addWidget(rowsEdit, 2, 1);
    add->addWidget(columnsLabel, 3, 0);
    add->addWidget(columnsEdit, 3, 1);
    add->addWidget(Button1, 4, 1, Qt::AlignRight);
    auto* remove = new QGridLayout(GroupBox2);
    remove->addWidget(Label3, 0, 0);
    remove->addWidget(Edit3, 0, 1);
    remove->addWidget(Button2, 1, 1, Qt::AlignRight);
    auto* side = new QVBoxLayout;
    side->addWidget(GroupBox1);
    side->addWidget(GroupBox2);
    side->addWidget(importRoomsButton, 0, Qt::AlignRight);
    side->addStretch();
    side->addWidget(Button3, 0, Qt::AlignRight);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(DBGrid1, 1);
    layout->addLayout(side);
    resize(640, 420);

    connect(Button1, &QPushButton::clicked, this, guarded(dialogs, [this] { Button1Click(); }));
    connect(Button2, &QPushButton::clicked, this, guarded(dialogs, [this] { Button2Click(); }));
    connect(Button3, &QPushButton::clicked, this, guarded(dialogs, [this] { Button3Click(); }));
    connect(importRoomsButton, &QPushButton::clicked, this, guarded(dialogs, [this] { importRoomsClick(); }));
    connect(DBGrid1, &DBGrid::CellClick, this, guarded(dialogs, [this](const QString& field) { DBGrid1CellClick(field); }));
}

void TForm5::openRoomList()
{
    openOn(dm.ADOQuery9, "select jsm as 教室名称,rnrs as 容纳人数 from t_js ");
}

void TForm5::FormShow()
{
    Edit1->clear();
    Edit2->clear();
    Edit3->clear();
    rowsEdit->clear();
    columnsEdit->clear();
    openRoomList();
}

void TForm5::Button1Click()
{
    // A capacity is a count of seats: a negative one is refused, digits too
    // many for a whole number are named as such, and any other text is
    // named before the engine answers it in its own words.
    static const QRegularExpression digits(QStringLiteral("^[+-]?[0-9]+$"));
    const QString capacity = Edit2->text().trimmed();
    bool whole = false;
    const qlonglong seats = capacity.toLongLong(&whole);
    if (whole && seats < 0) {
        dialogs.message(QStringLiteral("容纳人数不能是负数。"));
        return;
    }
    if (!whole && digits.match(capacity).hasMatch()) {
        dialogs.message(QStringLiteral("容纳人数太大，无法保存。"));
        return;
    }
    if (!whole) {
        dialogs.message(QStringLiteral("容纳人数“%1”不是整数，请用阿拉伯数字填写，如 60。").arg(capacity));
        return;
    }
    const QString rows = rowsEdit->text().trimmed(), columns = columnsEdit->text().trimmed();
    if (const QString problem = roomLayoutProblem(rows, columns, capacity); !problem.isEmpty()) {
        dialogs.message(problem + QStringLiteral("。"));
        return;
    }
    addRoom(dm, Edit1->text(), Edit2->text(), rows, columns);
    openRoomList();
    dialogs.message(QStringLiteral("增加成功"));
    Edit1->clear();
    Edit2->clear();
    rowsEdit->clear();
    columnsEdit->clear();
}

void TForm5::DBGrid1CellClick(const QString& fieldName)
{
    Edit3->setText(dm.ADOQuery9.FieldByName(fieldName).AsString());
}

void TForm5::Button2Click()
{
    // The list is reread and the box emptied in every case.
    if (Edit3->text().isEmpty())
        dialogs.message(QStringLiteral("请输入教室"));
    else if (dialogs.confirm(roomDeleteQuestion(Edit3->text(), roomUse(dm, Edit3->text()))))
        deleteRoom(dm, Edit3->text());
    openRoomList();
    Edit3->clear();
}

void TForm5::Button3Click()
{
    close();
}

void TForm5::importRoomsClick()
{
    const QString path = dialogs.openFileName(QStringLiteral("请选择教室的Excel文件（A列教室名称，B列容纳人数）"),
                                              QStringLiteral("Excel(*.xls *.xlsx)"));
    if (path.isEmpty())
        return;
    try {
        const RoomImport result = importRooms(dm, Workbook::open(path).firstSheet());
        openRoomList();
        dialogs.message(roomImportReport(result));
    } catch (const std::exception& e) {
        dialogs.information(QStringLiteral("导入教室出错，没有导入任何教室：\n%1").arg(QString::fromUtf8(e.what())),
                            QStringLiteral("提示信息"));
    }
}
