#include "Unit8.h"

#include "ArrangementSheet.h"
#include "CellText.h"
#include "DBGrid.h"
#include "Guard.h"
#include "RosterSheet.h"
#include "SlotSteps.h"
#include "overview/Shortfalls.h"
#include "StatusProgress.h"

#include <QCloseEvent>
#include <QDir>
#include <QScopeGuard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

// The window has its own connection, not the shared data module's.
TForm8::TForm8(Dialogs& dialogs, QWidget* parent)
    : Form(dialogs, QStringLiteral("Form8"), QStringLiteral("Form8"), parent)
{
    BitBtn1 = named(new QPushButton(QStringLiteral("文件选择"), this), "BitBtn1");
    Edit1 = named(new QLineEdit(this), "Edit1");
    BitBtn2 = named(new QPushButton(QStringLiteral("导入"), this), "BitBtn2");
    Button1 = named(new QPushButton(QStringLiteral("导入模板"), this), "Button1");
    Button2 = named(new QPushButton(QStringLiteral("排考结果导出"), this), "Button2");
    DBGrid1 = named(new DBGrid(this), "DBGrid1");
    Label2 = named(new QLabel(QStringLiteral("总共导入："), this), "Label2");
    Label1 = named(new QLabel(QStringLiteral("Label1"), this), "Label1");
    Label3 = named(new QLabel(QStringLiteral("条记录"), this), "Label3");
    Label4 = named(new QLabel(QStringLiteral("注意：如果出现报错，请关闭系统，重新登录"), this), "Label4");
    BitBtn3 = named(new QPushButton(QStringLiteral("退出"), this), "BitBtn3");
    setExitButton(BitBtn3);
    StatusBar1 = new StatusProgress(QStringLiteral("progress"), this);
    ProgressBar1 = StatusBar1->ProgressBar1();
    cancelButton = named(new QPushButton(QStringLiteral("取消"), StatusBar1), "cancelButton");
    cancelButton->setAutoDefault(false);
    cancelButton->setEnabled(false);
    StatusBar1->addPermanentWidget(cancelButton);

    BitBtn1->setDefault(true);
    ADOConnection1.setUpgradeNotice([&dialogs](const QString& note) { dialogs.message(note); });

    DBGrid1->setDataSource(DataSource1);
    QList<DBGrid::Column> columns;
    for (const RosterColumn& c : rosterColumns)
        columns.append({QString::fromLatin1(c.field), {}});
    DBGrid1->setColumns(columns);
    // All ten roster columns in view at the window's size.
    DBGrid1->horizontalHeader()->setDefaultSectionSize(80);

    auto* file = new QHBoxLayout;
    file->addWidget(BitBtn1);
    file->addWidget(Edit1, 1);
    file->addWidget(BitBtn2);
    file->addSpacing(16);
    file->addWidget(Button1);
    file->addWidget(Button2);
    auto* count = new QHBoxLayout;
    for (QWidget* w : {Label2, Label1, Label3})
        count->addWidget(w);
    count->addSpacing(24);
    count->addWidget(Label4);
    count->addStretch();
    count->addWidget(BitBtn3);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(file);
    layout->addWidget(DBGrid1, 1);
    layout->addLayout(count);
    layout->addWidget(StatusBar1);
    resize(860, 520);

    connect(BitBtn1, &QPushButton::clicked, this, guarded(dialogs, [this] { BitBtn1Click(); }));
    connect(BitBtn2, &QPushButton::clicked, this, guarded(dialogs, [this] { BitBtn2Click(); }));
    connect(BitBtn3, &QPushButton::clicked, this, guarded(dialogs, [this] { BitBtn3Click(); }));
    connect(Button1, &QPushButton::clicked, this, guarded(dialogs, [this] { Button1Click(); }));
    connect(Button2, &QPushButton::clicked, this, guarded(dialogs, [this] { Button2Click(); }));
    connect(cancelButton, &QPushButton::clicked, this, [this] { cancelRequested = true; });
}

// Closing the window (or Esc) while rows go in stops the import after the current
// row, like "取消"; the window closes once the import has ended.
void TForm8::closeEvent(QCloseEvent* event)
{
    if (importing) {
        cancelRequested = true;
        event->ignore();
        return;
    }
    Form::closeEvent(event);
}

void TForm8::reject()
{
    if (importing) {
        cancelRequested = true;
        return;
    }
    Form::reject();
}

void TForm8::FormShow()
{
    ADOConnection1.Close();
    ADOQuery1.Close();
    ADOConnection1.setConnectionString(Connection::connectionStringFor(QDir::currentPath()));
    openOn(ADOQuery1, rosterStatement);
}

std::unique_ptr<SpreadsheetApp> TForm8::createApplication()
{
    std::unique_ptr<SpreadsheetApp> app = createSpreadsheet(dialogs);
    if (!app)
        dialogs.information(QStringLiteral("Excel没有安装！"), QStringLiteral("提示信息"));
    return app;
}

// The cause, when there is one, goes under the message: a database that is
// locked, full or read-only is not the file's fault.
void TForm8::showFormatError(const QString& cause)
{
    const QString text = QStringLiteral("导入数据出错！请检查文件的格式是否正确！");
    dialogs.information(cause.isEmpty() ? text : text + QStringLiteral("\n\n") + cause, QStringLiteral("提示信息"));
}

bool TForm8::askToImport(int rows)
{
    // The pause of each row and a little for storing it.
    const int minutes = int(std::ceil(rows * 0.026 / 60));
    const QString duration = minutes < 60 ? QStringLiteral("%1 分钟").arg(minutes)
                                          : QStringLiteral("%1 小时 %2 分钟").arg(minutes / 60).arg(minutes % 60);
    return dialogs.confirm(QStringLiteral("要导入 %1 行名单，大约需要 %2。\n导入时可以按进度条旁的“取消”停止，已导入的行会保留。\n是否继续？")
                               .arg(rows)
                               .arg(duration));
}

// While rows go in, only "取消" takes a click.
int TForm8::importRows(const Worksheet& sheet, int rows)
{
    const QList<QWidget*> controls{BitBtn1, Edit1, BitBtn2, Button1, Button2, BitBtn3, DBGrid1};
    for (QWidget* control : controls)
        control->setEnabled(false);
    cancelButton->setEnabled(true);
    importing = true;
    cancelRequested = false;
    const auto done = qScopeGuard([&] {
        importing = false;
        cancelButton->setEnabled(false);
        for (QWidget* control : controls)
            control->setEnabled(true);
    });
    return storeRosterRows(sheet, rows, ADOQuery1, [this](int sheetRow) {
        // The bar is full from the row before the last on; Qt would
        // ignore a value beyond the maximum.
        ProgressBar1->setValue(qMin(sheetRow, ProgressBar1->maximum()));
        dialogs.pauseTakingInput(stepPauseMilliseconds);
        return !cancelRequested;
    });
}

void TForm8::BitBtn1Click()
{
    const QString path = dialogs.openFileName(QStringLiteral("请选择相应的Excel文件"),
                                              QStringLiteral("Excel(*.xls *.xlsx)"));
    if (!path.isEmpty())
        Edit1->setText(path);
}

void TForm8::BitBtn2Click()
{
    const QString path = trimBlanks(Edit1->text());
    if (path.isEmpty()) {
        dialogs.warning(QStringLiteral("请正确选择相关路径！"));
        return;
    }
    const std::unique_ptr<SpreadsheetApp> app = createApplication();
    if (!app)
        return;
    app->setVisible(false);
    // A file that cannot be opened ends the handler with the reader's own
    // message, before anything is counted or stored. Only the block the
    // import uses is read.
    app->open(path, rosterBounds);
    // Importing a workbook a second time would double the term without a word.
    openOn(ADOQuery1, rosterStatement);
    if (const int existing = ADOQuery1.RecordCount();
        existing > 0 && !dialogs.confirm(QStringLiteral("名单中已有 %1 条记录，导入的记录将追加在后面。是否继续？").arg(existing))) {
        app->Quit();
        return;
    }
    int n = 0;
    int stored = 0;
    int leftBelow = 0;
    try {
        const Worksheet& sheet = app->firstSheet();
        n = countRosterRows(sheet);
        leftBelow = rowsLeftBelow(sheet, n);
        Label1->setText(QString::number(n));
        ProgressBar1->setValue(0);
        // A range of 0..0 would turn the bar into a busy indicator.
        ProgressBar1->setMaximum(qMax(n, 1));
        if (n > rowsWithoutAsking && !askToImport(n)) {
            app->Quit();
            return;
        }
        stored = importRows(sheet, n);
        app->Quit();
    } catch (const std::exception& e) {
        showFormatError(QString::fromUtf8(e.what()));
        app->Quit();
        return;
    }
    if (stored < n) {
        dialogs.information(QStringLiteral("导入已取消：已导入 %1 条记录，其余 %2 条没有导入。").arg(stored).arg(n - stored),
                            QStringLiteral("提示信息"));
        return;
    }
    const QString done = QStringLiteral("数据导入成功!");
    if (leftBelow == 0)
        dialogs.warning(done);
    else
        dialogs.warning(done + QStringLiteral("\n\n第 %1 行的 B 列（课程序号）为空，导入到此为止：从第 %1 行起还有 %2 行数据没有导入。")
                                   .arg(n + 2)
                                   .arg(leftBelow));
}

void TForm8::BitBtn3Click()
{
    ProgressBar1->setValue(0);
    ADOQuery1.Close();
    close();
    Edit1->clear();
}

void TForm8::Button1Click()
{
    const std::unique_ptr<SpreadsheetApp> app = createApplication();
    if (!app)
        return;
    try {
        openOn(ADOQuery1, "select * from t_bjgmd");
        app->setVisible(true);
        app->add();
        writeRosterTemplate(app->firstSheet());
    } catch (const std::exception&) {
        showFormatError();
    }
    app->leaveToUser();
}

void TForm8::Button2Click()
{
    // Without a spreadsheet program there is nothing to ask about.
    const std::unique_ptr<SpreadsheetApp> app = createApplication();
    if (!app)
        return;
    if (!dialogs.confirmIfAny(readShortfalls(ADOQuery1).question(QStringLiteral("导出"), RoomlessCandidates::RoomBlank)))
        return;
    try {
        writeArrangement(ADOQuery1, [&app]() -> StreamedWorkbook& {
            app->setVisible(true);
            return app->addStreamed();
        });
    } catch (const std::exception&) {
        showFormatError();
        handOver(*app);
        return;
    }
    if (handOver(*app))
        dialogs.warning(QStringLiteral("导出成功!"));
}

bool TForm8::handOver(SpreadsheetApp& app)
{
    try {
        app.Quit();
        return true;
    } catch (const WorkbookError& e) {
        showFormatError(e.message());
        return false;
    }
}
