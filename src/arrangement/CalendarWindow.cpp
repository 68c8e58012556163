#include "CalendarWindow.h"

#include "CalendarPrinting.h"
#include "DataModule.h"
#include "Guard.h"
#include "overview/Shortfalls.h"

#include <QCursor>
#include <algorithm>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

constexpr int periodRole = Qt::UserRole;
constexpr int shownCourseLines = 4;
constexpr int courseChars = 9;

QString shortened(const QString& name)
{
    return name.size() > courseChars ? name.left(courseChars - 1) + QStringLiteral("…") : name;
}

// Fuller rooms, deeper blue; rooms over their seats, red.
QColor shade(const QList<CalendarPeriod>& periods)
{
    double f = 0;
    for (const CalendarPeriod& p : periods)
        f = std::max(f, p.fullness());
    if (f > 1.0)
        return QColor(240, 150, 140);
    const auto mix = [f](int from, int to) { return int(from + (to - from) * f); };
    return QColor(mix(255, 110), mix(255, 165), mix(255, 225));
}

QString cellText(const QList<CalendarPeriod>& periods)
{
    QStringList parts;
    for (const CalendarPeriod& p : periods) {
        QStringList lines{QStringLiteral("第%1场　%2人").arg(p.period).arg(p.candidates),
                          p.seats > 0 ? QStringLiteral("%1间教室，坐满 %2%").arg(p.rooms).arg(qRound(p.fullness() * 100))
                                      : QStringLiteral("%1间教室").arg(p.rooms)};
        lines += p.shortfallLines();
        for (const QString& course : p.courseLines(shownCourseLines))
            lines.append(shortened(course));
        parts.append(lines.join(u'\n'));
    }
    return parts.join(QStringLiteral("\n――――\n"));
}

QString cellTip(const QList<CalendarPeriod>& periods)
{
    QStringList parts;
    for (const CalendarPeriod& p : periods)
        parts.append(QStringLiteral("第%1场　%2\n试卷 %3 份，考生 %4 人\n教室 %5 间，座位 %6 个，已排教室 %7 人\n%8课程：%9")
                         .arg(p.period, p.time.isEmpty() ? QStringLiteral("（没有考试时间）") : p.time)
                         .arg(p.papers)
                         .arg(p.candidates)
                         .arg(p.rooms)
                         .arg(p.seats)
                         .arg(p.seated)
                         .arg(p.shortfallLines().isEmpty() ? QString() : p.shortfallLines().join(QStringLiteral("，")) + u'\n')
                         .arg(p.courses.join(QStringLiteral("、"))));
    return parts.join(QStringLiteral("\n\n"));
}

QTableWidgetItem* periodItem(const QList<CalendarPeriod>& periods)
{
    auto* item = new QTableWidgetItem(cellText(periods));
    item->setFlags(Qt::ItemIsEnabled);
    item->setTextAlignment(Qt::AlignLeft | Qt::AlignTop);
    item->setBackground(shade(periods));
    item->setToolTip(cellTip(periods));
    if (std::any_of(periods.cbegin(), periods.cend(), [](const CalendarPeriod& p) { return !p.shortfallLines().isEmpty(); }))
        item->setForeground(QColor(190, 0, 0));
    QStringList numbers;
    for (const CalendarPeriod& p : periods)
        numbers.append(p.period);
    item->setData(periodRole, numbers);
    return item;
}

QTableWidget* grid(QWidget* parent, const char* name)
{
    auto* g = named(new QTableWidget(parent), name);
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    g->setSelectionMode(QAbstractItemView::NoSelection);
    g->setWordWrap(true);
    g->setMouseTracking(true);
    g->horizontalHeader()->setDefaultSectionSize(170);
    g->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    g->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    return g;
}

// Fills the grids from the calendar; the same filling serves the window and
// the exported picture.
void fill(QTableWidget* days, QTableWidget* undated, const TermCalendar& c)
{
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    days->clear();
    days->setColumnCount(int(c.days.size()));
    days->setRowCount(int(c.sittings.size()) + (c.days.isEmpty() ? 0 : 3));
    for (int d = 0; d < c.days.size(); ++d)
        days->setHorizontalHeaderItem(d, new QTableWidgetItem(chinese.toString(c.days[d].date, QStringLiteral("yyyy-MM-dd\ndddd"))));
    for (int s = 0; s < c.sittings.size(); ++s) {
        days->setVerticalHeaderItem(s, new QTableWidgetItem(c.sittings[s].isEmpty() ? QStringLiteral("（未写时段）") : c.sittings[s]));
        for (int d = 0; d < c.days.size(); ++d)
            days->setItem(s, d, periodItem(c.cells[s][d]));
    }
    if (!c.days.isEmpty()) {
        const QStringList names{QStringLiteral("考生人次"), QStringLiteral("一天两门的学生"), QStringLiteral("连着两门的学生")};
        for (int r = 0; r < 3; ++r) {
            const int row = int(c.sittings.size()) + r;
            days->setVerticalHeaderItem(row, new QTableWidgetItem(names[r]));
            for (int d = 0; d < c.days.size(); ++d) {
                const CalendarDay& day = c.days[d];
                auto* item = new QTableWidgetItem(QString::number(r == 0 ? day.candidates : r == 1 ? day.twoPapers : day.twoInARow));
                item->setFlags(Qt::ItemIsEnabled);
                item->setTextAlignment(Qt::AlignCenter);
                item->setBackground(QColor(245, 245, 240));
                days->setItem(row, d, item);
            }
        }
    }
    days->resizeRowsToContents();

    undated->clear();
    undated->setRowCount(c.undated.isEmpty() ? 0 : 1);
    undated->setColumnCount(int(c.undated.size()));
    undated->verticalHeader()->hide();
    for (int i = 0; i < c.undated.size(); ++i) {
        const CalendarPeriod& p = c.undated[i];
        auto* title = new QTableWidgetItem(p.time.isEmpty() ? QStringLiteral("第%1场").arg(p.period)
                                                            : QStringLiteral("第%1场 %2").arg(p.period, p.time));
        title->setToolTip(p.timeFault);
        undated->setHorizontalHeaderItem(i, title);
        undated->setItem(0, i, periodItem({p}));
    }
    undated->resizeRowsToContents();
}

// The size that shows every row and column of a grid without scrolling.
QSize wholeSize(QTableWidget* g)
{
    int w = !g->verticalHeader()->isHidden() ? g->verticalHeader()->sizeHint().width() : 0;
    int h = g->horizontalHeader()->sizeHint().height();
    for (int c = 0; c < g->columnCount(); ++c)
        w += g->columnWidth(c);
    for (int r = 0; r < g->rowCount(); ++r)
        h += g->rowHeight(r);
    return {w + 2 * g->frameWidth(), h + 2 * g->frameWidth()};
}

} // namespace

CalendarWindow::CalendarWindow(DataModule& dm, Dialogs& dialogs, std::function<void(const QString&)> openPeriod,
                               QWidget* parent)
    : Form(dialogs, QStringLiteral("CalendarWindow"), QStringLiteral("考试日历"), parent)
    , dm(dm)
    , openPeriod(std::move(openPeriod))
{
    resize(1100, 660); // whole on a screen of 1366×768 under its title bar, beside a panel
    missingLabel = named(new QLabel(this), "missingLabel");
    missingLabel->setWordWrap(true);
    calendarGrid = grid(this, "calendarGrid");
    // The days share the window's width; past their narrowest they scroll.
    calendarGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    calendarGrid->horizontalHeader()->setMinimumSectionSize(120);
    undatedLabel = named(new QLabel(QStringLiteral("未定日期的场次（按场次号）："), this), "undatedLabel");
    undatedGrid = grid(this, "undatedGrid");
    undatedGrid->setMaximumHeight(150);
    exportImageButton = named(new QPushButton(QStringLiteral("导出图片"), this), "exportImageButton");
    printButton = named(new QPushButton(QStringLiteral("打印"), this), "printButton");
    exitButton = named(new QPushButton(QStringLiteral("退出"), this), "exitButton");

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(exportImageButton);
    buttons->addWidget(printButton);
    buttons->addWidget(exitButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(missingLabel);
    layout->addWidget(calendarGrid, 1);
    layout->addWidget(undatedLabel);
    layout->addWidget(undatedGrid);
    layout->addLayout(buttons);
    setExitButton(exitButton);

    connect(calendarGrid, &QTableWidget::cellClicked, this, guarded(dialogs, [this](int r, int c) { cellClicked(r, c); }));
    connect(undatedGrid, &QTableWidget::cellClicked, this, guarded(dialogs, [this](int, int c) { undatedClicked(c); }));
    connect(exportImageButton, &QPushButton::clicked, this, guarded(dialogs, [this] { exportImageClick(); }));
    connect(printButton, &QPushButton::clicked, this, guarded(dialogs, [this] { printClick(); }));
    connect(exitButton, &QPushButton::clicked, this, [this] { accept(); });
}

void CalendarWindow::FormShow()
{
    refresh();
}

void CalendarWindow::refresh()
{
    shown = readTermCalendar(dm);
    fill(calendarGrid, undatedGrid, shown);
    const QString missing = shown.missing();
    if (!missing.isEmpty())
        missingLabel->setText(missing);
    else if (shown.days.isEmpty())
        missingLabel->setText(QStringLiteral("场次还没有带日期的考试时间（编排 → 5.指定时间），下面按场次号列出。"));
    else
        missingLabel->setText(QStringLiteral("底色越深，该场次的教室坐得越满（红色底：人数超过座位；红字：有考生未排教室或监考不足）。点击场次打开“3.指定教室”。"));
    calendarGrid->setVisible(!shown.days.isEmpty());
    undatedLabel->setVisible(!shown.undated.isEmpty());
    undatedGrid->setVisible(!shown.undated.isEmpty());
    exportImageButton->setEnabled(missing.isEmpty());
    printButton->setEnabled(missing.isEmpty());
}

void CalendarWindow::cellClicked(int row, int column)
{
    if (row < shown.sittings.size() && column < shown.days.size())
        open(shown.cells[row][column]);
}

void CalendarWindow::undatedClicked(int column)
{
    if (column < shown.undated.size())
        open({shown.undated[column]});
}

void CalendarWindow::open(const QList<CalendarPeriod>& periods)
{
    if (periods.isEmpty())
        return;
    QString period = periods.first().period;
    if (periods.size() > 1) {
        // Periods that share a sitting: the clerk says which one.
        QMenu choice(this);
        for (const CalendarPeriod& p : periods)
            choice.addAction(QStringLiteral("第%1场").arg(p.period))->setData(p.period);
        const QAction* chosen = choice.exec(QCursor::pos());
        if (!chosen)
            return;
        period = chosen->data().toString();
    }
    openPeriod(period);
    refresh();
}

QPixmap CalendarWindow::picture() const
{
    QWidget sheet;
    sheet.setAttribute(Qt::WA_DontShowOnScreen);
    sheet.setStyleSheet(QStringLiteral("background: white"));
    auto* title = new QLabel(QStringLiteral("考试日历"), &sheet);
    QFont big = title->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    title->setFont(big);
    QTableWidget* days = grid(&sheet, "pictureGrid");
    QTableWidget* undated = grid(&sheet, "pictureUndatedGrid");
    fill(days, undated, shown);
    auto* layout = new QVBoxLayout(&sheet);
    layout->addWidget(title);
    if (!shown.days.isEmpty())
        layout->addWidget(days);
    else
        days->hide();
    if (!shown.undated.isEmpty()) {
        layout->addWidget(new QLabel(undatedLabel->text(), &sheet));
        layout->addWidget(undated);
    } else {
        undated->hide();
    }
    for (QTableWidget* g : {days, undated}) {
        g->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        g->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        g->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        g->setFixedSize(wholeSize(g));
    }
    layout->activate();
    sheet.adjustSize();
    return sheet.grab();
}

void CalendarWindow::exportImageClick()
{
    if (!shown.missing().isEmpty()) {
        dialogs.message(shown.missing());
        return;
    }
    if (!dialogs.confirmIfAny(readShortfalls(dm.ADOQuery22).question(QStringLiteral("导出"), RoomlessCandidates::Counted)))
        return;
    QString path = dialogs.saveFileName(QStringLiteral("导出图片"), QStringLiteral("PNG 图片 (*.png)"), QStringLiteral("考试日历.png"));
    if (path.isEmpty())
        return;
    if (!path.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive))
        path += QStringLiteral(".png");
    if (!picture().save(path, "PNG"))
        dialogs.message(QStringLiteral("图片无法保存到 %1，请换一个位置").arg(path));
    else
        dialogs.message(QStringLiteral("已保存图片：%1").arg(path));
}

void CalendarWindow::printClick()
{
    if (!shown.missing().isEmpty()) {
        dialogs.message(shown.missing());
        return;
    }
    if (!dialogs.confirmIfAny(readShortfalls(dm.ADOQuery22).question(QStringLiteral("打印"), RoomlessCandidates::Counted)))
        return;
    printCalendar(PrintSetup{dm, dialogs, reportSettings, presetOutput, this}, shown);
}
