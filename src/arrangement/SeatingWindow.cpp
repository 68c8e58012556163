#include "SeatingWindow.h"

#include "DataModule.h"
#include "Guard.h"
#include "SlotSteps.h"
#include "rooms/SeatSheets.h"
#include "rooms/Seating.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

const QString everyTime = QStringLiteral("全部时间");

QCheckBox* check(QWidget* parent, const char* name, const QString& caption, bool on)
{
    auto* box = named(new QCheckBox(caption, parent), name);
    box->setChecked(on);
    return box;
}

QSpinBox* spin(QWidget* parent, const char* name, int low, int high, int value)
{
    auto* box = named(new QSpinBox(parent), name);
    box->setRange(low, high);
    box->setValue(value);
    return box;
}

} // namespace

SeatingWindow::SeatingWindow(DataModule& dm, Dialogs& dialogs, QWidget* parent)
    : Form(dialogs, QStringLiteral("SeatingWindow"), QStringLiteral("考场座位与材料"), parent)
    , dm(dm)
{
    resize(1100, 660); // whole on a screen of 1366×768 under its title bar, beside a panel
    missingLabel = named(new QLabel(this), "missingLabel");
    missingLabel->setWordWrap(true);
    timeBox = named(new QComboBox(this), "timeBox");
    timeBox->setMinimumContentsLength(28);
    roomList = named(new QListWidget(this), "roomList");

    auto* seating = named(new QGroupBox(QStringLiteral("编排座位"), this), "seatingGroup");
    columnsBox = spin(seating, "columnsBox", 1, 40, 8);
    rowWiseCheck = check(seating, "rowWiseCheck", QStringLiteral("按排编号（默认按列蛇形编号）"), false);
    everyOtherCheck = check(seating, "everyOtherCheck", QStringLiteral("隔位就座"), false);
    seatAgainCheck = check(seating, "seatAgainCheck", QStringLiteral("已有座位的考场也重新编排"), false);
    seatButton = named(new QPushButton(QStringLiteral("编排座位"), seating), "seatButton");
    auto* seatingLayout = new QGridLayout(seating);
    seatingLayout->addWidget(new QLabel(QStringLiteral("未填排数、列数的教室按列数："), seating), 0, 0);
    seatingLayout->addWidget(columnsBox, 0, 1);
    seatingLayout->addWidget(rowWiseCheck, 1, 0, 1, 2);
    seatingLayout->addWidget(everyOtherCheck, 2, 0, 1, 2);
    seatingLayout->addWidget(seatAgainCheck, 3, 0, 1, 2);
    seatingLayout->addWidget(seatButton, 4, 1);

    auto* documents = named(new QGroupBox(QStringLiteral("打印材料"), this), "documentsGroup");
    chartCheck = check(documents, "chartCheck", QStringLiteral("考场座位表"), true);
    signInCheck = check(documents, "signInCheck", QStringLiteral("考生签到表"), true);
    doorCheck = check(documents, "doorCheck", QStringLiteral("考场门贴"), false);
    labelsCheck = check(documents, "labelsCheck", QStringLiteral("试卷袋标签"), false);
    noticesCheck = check(documents, "noticesCheck", QStringLiteral("考试通知单"), false);
    allStudentsCheck = check(documents, "allStudentsCheck", QStringLiteral("通知单发给全部学生（不只本时间的）"), false);
    sparesBox = spin(documents, "sparesBox", 0, 99, 2);
    auto* documentsLayout = new QGridLayout(documents);
    int row = 0;
    for (QCheckBox* box : {chartCheck, signInCheck, doorCheck, labelsCheck, noticesCheck, allStudentsCheck})
        documentsLayout->addWidget(box, row++, 0, 1, 2);
    documentsLayout->addWidget(new QLabel(QStringLiteral("每袋备用试卷（份）："), documents), row, 0);
    documentsLayout->addWidget(sparesBox, row, 1);

    previewGrid = named(new QTableWidget(this), "previewGrid");
    previewGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    previewGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    previewGrid->verticalHeader()->hide();
    const QStringList titles{QStringLiteral("考试时间"), QStringLiteral("考场"), QStringLiteral("座位号"), QStringLiteral("学号"),
                             QStringLiteral("姓名"), QStringLiteral("课程名称"), QStringLiteral("试卷序号"), QStringLiteral("补考/缓考")};
    previewGrid->setColumnCount(int(titles.size()));
    previewGrid->setHorizontalHeaderLabels(titles);
    printButton = named(new QPushButton(QStringLiteral("打印"), this), "printButton");
    exportButton = named(new QPushButton(QStringLiteral("导出座位安排"), this), "exportButton");
    exitButton = named(new QPushButton(QStringLiteral("退出"), this), "exitButton");
    setExitButton(exitButton);

    auto* side = new QVBoxLayout;
    side->addWidget(new QLabel(QStringLiteral("考试时间："), this));
    side->addWidget(timeBox);
    side->addWidget(new QLabel(QStringLiteral("考场（勾选要打印的）："), this));
    side->addWidget(roomList, 1);
    side->addWidget(seating);
    side->addWidget(documents);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(exportButton);
    buttons->addWidget(printButton);
    buttons->addWidget(exitButton);
    auto* right = new QVBoxLayout;
    right->addWidget(missingLabel);
    right->addWidget(previewGrid, 1);
    right->addLayout(buttons);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(side);
    layout->addLayout(right, 1);

    connect(timeBox, &QComboBox::currentIndexChanged, this, guarded(dialogs, [this] { timeChanged(); }));
    connect(roomList, &QListWidget::itemChanged, this, guarded(dialogs, [this] { showRooms(); }));
    connect(seatButton, &QPushButton::clicked, this, guarded(dialogs, [this] { seatClick(); }));
    connect(printButton, &QPushButton::clicked, this, guarded(dialogs, [this] { printClick(); }));
    connect(exportButton, &QPushButton::clicked, this, guarded(dialogs, [this] { exportClick(); }));
    connect(exitButton, &QPushButton::clicked, this, [this] { accept(); });
}

void SeatingWindow::FormShow()
{
    const QString before = timeBox->currentText();
    const QSignalBlocker quiet(timeBox);
    timeBox->clear();
    const QList<SeatingTime> times = seatingTimes(dm);
    for (const SeatingTime& t : times)
        timeBox->addItem(t.text);
    if (!times.isEmpty())
        timeBox->addItem(everyTime);
    timeBox->setCurrentIndex(std::max(0, timeBox->findText(before)));
    refresh();
}

QString SeatingWindow::chosenTime() const
{
    return timeBox->currentText() == everyTime ? QString() : timeBox->currentText();
}

SeatingTerms SeatingWindow::seatingTerms() const
{
    SeatingTerms terms;
    terms.columns = columnsBox->value();
    terms.rowWise = rowWiseCheck->isChecked();
    terms.everyOther = everyOtherCheck->isChecked();
    return terms;
}

void SeatingWindow::timeChanged()
{
    refresh();
}

void SeatingWindow::refresh()
{
    const bool anyTime = timeBox->count() > 0;
    rooms = anyTime ? seatedRooms(dm, chosenTime()) : QList<SeatedRoomSheet>();
    {
        const QSignalBlocker quiet(roomList);
        roomList->clear();
        for (const SeatedRoomSheet& room : rooms) {
            const int people = int(room.candidates.size()) + room.unseated;
            QString text = chosenTime().isEmpty() ? QStringLiteral("%1　%2（%3 人）").arg(room.time, room.room).arg(people)
                                                  : QStringLiteral("%1（%2 人）").arg(room.room).arg(people);
            if (room.unseated > 0)
                text += QStringLiteral("　待编座位 %1 人").arg(room.unseated);
            auto* item = new QListWidgetItem(text, roomList);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
            item->setCheckState(Qt::Checked);
        }
    }
    QStringList needing;
    for (const SeatedRoomSheet& room : rooms)
        if (room.unseated > 0)
            needing.append(chosenTime().isEmpty() ? room.time + QStringLiteral(" ") + room.room : room.room);
    if (!anyTime) {
        const bool noPeriods = [this] {
            openOn(dm.ADOQuery8, "select count(*) as n from t_cc");
            return dm.ADOQuery8.FieldByName(QStringLiteral("n")).AsVariant().toInt() == 0;
        }();
        missingLabel->setText(noPeriods ? QStringLiteral("还没有考试场次：请先排考（编排 → 2.课程排考）。")
                                        : QStringLiteral("还没有安排了教室的考生：请先指定教室（编排 → 3.指定教室）。"));
    } else if (!needing.isEmpty()) {
        missingLabel->setText(QStringLiteral("以下考场还没有座位号（或有考生调换了考场），请先编排座位：%1").arg(needing.join(QStringLiteral("、"))));
    } else {
        missingLabel->setText(QStringLiteral("勾选考场和材料后打印；右侧列出所选考场的座位。"));
    }
    for (QWidget* w : std::initializer_list<QWidget*>{seatButton, printButton, exportButton, timeBox})
        w->setEnabled(anyTime);
    showRooms();
}

QList<SeatedRoomSheet> SeatingWindow::tickedRooms() const
{
    QList<SeatedRoomSheet> ticked;
    for (int i = 0; i < roomList->count() && i < rooms.size(); ++i)
        if (roomList->item(i)->checkState() == Qt::Checked)
            ticked.append(rooms[i]);
    return ticked;
}

void SeatingWindow::showRooms()
{
    const QList<SeatedRoomSheet> ticked = tickedRooms();
    int count = 0;
    for (const SeatedRoomSheet& room : ticked)
        count += int(room.candidates.size());
    previewGrid->setRowCount(count);
    int row = 0;
    for (const SeatedRoomSheet& room : ticked) {
        for (const SeatedCandidate& c : room.candidates) {
            const QStringList values{room.time, room.room, QString::number(c.seat), c.student, c.name, c.course, c.paper, c.kind};
            for (int col = 0; col < values.size(); ++col)
                previewGrid->setItem(row, col, new QTableWidgetItem(values[col]));
            ++row;
        }
    }
    previewGrid->resizeColumnsToContents();
}

void SeatingWindow::seatClick()
{
    const SeatingRun run = arrangeSeats(dm, seatingTerms(), chosenTime(), seatAgainCheck->isChecked());
    dialogs.message(seatingReport(run));
    refresh();
}

SeatDocumentJob SeatingWindow::job()
{
    SeatDocumentJob job;
    const std::pair<QCheckBox*, SeatDocument> choices[] = {
        {chartCheck, SeatDocument::SeatingChart}, {signInCheck, SeatDocument::SignInSheet}, {doorCheck, SeatDocument::DoorNotice},
        {labelsCheck, SeatDocument::PaperLabels}, {noticesCheck, SeatDocument::ExamNotices}};
    for (const auto& [box, document] : choices)
        if (box->isChecked())
            job.documents.append(document);
    job.rooms = tickedRooms();
    if (noticesCheck->isChecked())
        job.students = studentNotices(dm, allStudentsCheck->isChecked() ? QString() : chosenTime());
    job.spares = sparesBox->value();
    return job;
}

void SeatingWindow::printClick()
{
    const SeatDocumentJob chosen = job();
    if (chosen.documents.isEmpty()) {
        dialogs.message(QStringLiteral("请勾选要打印的材料。"));
        return;
    }
    const bool roomsNeeded = chosen.documents != QList<SeatDocument>{SeatDocument::ExamNotices};
    if (roomsNeeded && chosen.rooms.isEmpty()) {
        dialogs.message(QStringLiteral("请勾选要打印的考场。"));
        return;
    }
    for (const SeatedRoomSheet& room : chosen.rooms) {
        if (room.unseated > 0) {
            dialogs.message(QStringLiteral("考场 %1（%2）还有 %3 名考生没有座位号，请先编排座位。").arg(room.room, room.time).arg(room.unseated));
            return;
        }
    }
    printSeatDocuments(PrintSetup{dm, dialogs, reportSettings, presetOutput, this}, chosen);
}

void SeatingWindow::exportClick()
{
    const QList<SeatedRoomSheet> ticked = tickedRooms();
    if (ticked.isEmpty()) {
        dialogs.message(QStringLiteral("请勾选要导出的考场。"));
        return;
    }
    QString path = dialogs.saveFileName(QStringLiteral("导出座位安排"), QStringLiteral("Excel 工作簿 (*.xlsx)"),
                                        QStringLiteral("考场座位安排.xlsx"));
    if (path.isEmpty())
        return;
    if (!path.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive))
        path += QStringLiteral(".xlsx");
    try {
        exportSeatArrangement(ticked, path);
    } catch (const std::exception& e) {
        dialogs.message(QStringLiteral("导出失败，文件没有写成：%1").arg(QString::fromUtf8(e.what())));
        return;
    }
    dialogs.message(QStringLiteral("导出成功"));
}
