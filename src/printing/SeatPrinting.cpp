#include "SeatPrinting.h"

#include "PageWriter.h"
#include "Workbook.h"

#include <algorithm>
#include <optional>

namespace {

const QString family = QStringLiteral("WenQuanYi Micro Hei");
const ReportFont titleFont{family, 16, true};
const ReportFont headFont{family, 10, false};
const ReportFont tableHeadFont{family, 8.5, true};
const ReportFont cellFont{family, 8.5, false};
const ReportFont smallFont{family, 7, false};

constexpr double pageWidth = 210, pageHeight = 297, margin = 12;
constexpr double contentWidth = pageWidth - 2 * margin;
constexpr double footTop = pageHeight - margin - 5;

QString kindOf(const QString& kind)
{
    return kind.isEmpty() ? QStringLiteral("补考") : kind;
}

QString seatText(int seat)
{
    return seat > 0 ? QString::number(seat) : QStringLiteral("未排");
}

QString roomLine(const SeatedRoomSheet& room)
{
    return QStringLiteral("考场：%1　　考试时间：%2　　考生 %3 人").arg(room.room, room.time).arg(room.candidates.size());
}

void title(PageWriter& w, const QString& text, double top = margin)
{
    w.text(QRectF(margin, top, contentWidth, 10), text, titleFont, Qt::AlignCenter);
}

// A table of fixed columns: a heading row, then rows, ruled.
struct Table {
    QStringList titles;
    QList<double> widths;
    double rowHeight = 7;

    double row(PageWriter& w, double y, const QStringList& values, const ReportFont& font) const
    {
        double x = margin;
        for (int i = 0; i < titles.size(); ++i) {
            const Qt::Alignment align = widths[i] < 20 ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter;
            w.cell(QRectF(x + 1, y, widths[i] - 2, rowHeight), values.value(i), font, align);
            x += widths[i];
        }
        w.rule(margin, y + rowHeight, x, y + rowHeight, 0.15);
        return y + rowHeight;
    }
    void frame(PageWriter& w, double top, double bottom) const
    {
        double x = margin;
        w.rule(margin, top, margin + contentWidth, top, 0.3);
        for (int i = 0; i <= titles.size(); ++i) {
            w.rule(x, top, x, bottom, i == 0 || i == titles.size() ? 0.3 : 0.15);
            if (i < titles.size())
                x += widths[i];
        }
    }
};

// ---- 考场座位表 -------------------------------------------------------------

void seatBox(PageWriter& w, const QRectF& cell, const SeatedCandidate& c)
{
    w.box(cell, 0.2);
    const ReportFont seatFont{family, cell.width() < 18 ? 7.0 : 8.5, true};
    const ReportFont textFont{family, cell.width() < 18 ? 5.5 : 6.5, false};
    const double line = w.measure.lineHeight(textFont);
    const QRectF inner = cell.adjusted(0.8, 0.6, -0.8, -0.6);
    const QString number = QStringLiteral("%1号").arg(c.seat);
    // Seat and 学号 on one line where they fit side by side.
    const double numberWidth = w.measure.width(seatFont, number) + 1;
    double y = inner.top();
    if (numberWidth + w.measure.width(textFont, c.student) <= inner.width()) {
        w.text(QRectF(inner.left(), y, numberWidth, line * 1.2), number, seatFont);
        w.text(QRectF(inner.left() + numberWidth, y, inner.width() - numberWidth, line * 1.2), c.student, textFont,
               Qt::AlignRight | Qt::AlignVCenter);
        y += line * 1.2;
    } else {
        w.text(QRectF(inner.left(), y, inner.width(), line * 1.2), number, seatFont);
        y += line * 1.2;
        w.text(QRectF(inner.left(), y, inner.width(), line), c.student, textFont);
        y += line;
    }
    w.text(QRectF(inner.left(), y, inner.width(), line), c.name, textFont);
    y += line;
    // The course as far as the box lets it: whole on two lines, else cut short.
    const QStringList course = w.measure.wrap(textFont, c.course, inner.width());
    const int room = std::max(1, int((inner.bottom() - y) / line));
    if (course.size() <= room) {
        w.lines(QRectF(inner.left(), y, inner.width(), inner.bottom() - y), course, textFont);
    } else {
        QStringList shown = course.mid(0, room - 1);
        shown.append(course.mid(room - 1).join(QString()));
        w.lines(QRectF(inner.left(), y, inner.width(), inner.bottom() - y), shown, textFont);
    }
}

// How a room's chart is laid: a box per seat, as many rows of them to a page as fit.
struct ChartLayout {
    int rows = 1;
    int columns = 1;
    double cellWidth = 0;
    double cellHeight = 0;
    int rowsPerPage = 1;
};

constexpr double chartGap = 1.5, chartTop = margin + 34;

ChartLayout chartLayout(const SeatedRoomSheet& room)
{
    ChartLayout c;
    c.rows = std::max(1, room.shape.rows);
    c.columns = std::max(1, room.shape.columns);
    c.cellWidth = (contentWidth - chartGap * (c.columns - 1)) / c.columns;
    const double available = footTop - 3 - chartTop;
    c.cellHeight = std::clamp(available / c.rows - chartGap, 16.0, 26.0);
    c.rowsPerPage = std::max(1, int((available + chartGap) / (c.cellHeight + chartGap)));
    return c;
}

// The page of the room's chart from row `first` (counted from 0).
void chartPage(LaidOutPage& page, const SeatedRoomSheet& room, int first)
{
    const ChartLayout chart = chartLayout(room);
    const int last = std::min(chart.rows, first + chart.rowsPerPage);
    std::vector<std::vector<const SeatedCandidate*>> at(last - first, std::vector<const SeatedCandidate*>(chart.columns, nullptr));
    for (const SeatedCandidate& c : room.candidates)
        if (c.place.row > first && c.place.row <= last && c.place.column >= 1 && c.place.column <= chart.columns)
            at[c.place.row - 1 - first][c.place.column - 1] = &c;
    PageWriter w(page);
    title(w, first == 0 ? QStringLiteral("考场座位表") : QStringLiteral("考场座位表（续）"));
    w.text(QRectF(margin, margin + 12, contentWidth, 6), roomLine(room), headFont, Qt::AlignCenter);
    const QRectF desk(pageWidth / 2 - 30, margin + 21, 60, 8);
    w.box(desk, 0.3);
    w.text(desk, QStringLiteral("讲　台"), headFont, Qt::AlignCenter);
    for (int r = 0; r < last - first; ++r) {
        const double y = chartTop + r * (chart.cellHeight + chartGap);
        for (int col = 0; col < chart.columns; ++col)
            if (at[r][col])
                seatBox(w, QRectF(margin + col * (chart.cellWidth + chartGap), y, chart.cellWidth, chart.cellHeight), *at[r][col]);
    }
}

// A large time's charts and sign-in sheets run to hundreds of pages: each
// page keeps only what draws it (the rooms' list is shared, not copied) and
// is drawn as it is painted.
void seatingChart(LaidOutReport& report, const QList<SeatedRoomSheet>& rooms, qsizetype index)
{
    const ChartLayout chart = chartLayout(rooms[index]);
    for (int first = 0; first < chart.rows; first += chart.rowsPerPage)
        report.pages.emplaceBack().drawLater = [rooms, index, first](LaidOutPage& page) { chartPage(page, rooms[index], first); };
}

// ---- 考生签到表 -------------------------------------------------------------

const Table signInTable{{QStringLiteral("座位号"), QStringLiteral("学号"), QStringLiteral("姓名"), QStringLiteral("课程名称"),
                         QStringLiteral("试卷序号"), QStringLiteral("补考/缓考"), QStringLiteral("签名"),
                         QStringLiteral("备注（缺考/违纪）")},
                        {12, 26, 22, 46, 15, 16, 21, 28},
                        7.5};

constexpr double signInTop = margin + 20;

// A page of the sign-in sheet: rows first..first+count-1, and the foot under them on the last page.
void signInPage(LaidOutPage& page, const SeatedRoomSheet& room, int first, int count, bool last)
{
    PageWriter w(page);
    title(w, QStringLiteral("考生签到表"));
    w.text(QRectF(margin, margin + 12, contentWidth, 6), roomLine(room), headFont, Qt::AlignCenter);
    double y = signInTable.row(w, signInTop, signInTable.titles, tableHeadFont);
    for (int i = first; i < first + count; ++i) {
        const SeatedCandidate& c = room.candidates[i];
        y = signInTable.row(w, y, {QString::number(c.seat), c.student, c.name, c.course, c.paper, kindOf(c.kind), {}, {}}, cellFont);
    }
    signInTable.frame(w, signInTop, y);
    if (!last)
        return;
    y += 5;
    w.text(QRectF(margin, y, contentWidth, 7),
           QStringLiteral("应考 %1 人　　　实考 ______ 人　　　缺考 ______ 人").arg(room.candidates.size()), headFont);
    y += 9;
    QStringList signatures;
    for (const QString& name : room.invigilators)
        signatures.append(QStringLiteral("%1　签名：__________").arg(name));
    if (signatures.isEmpty())
        signatures = {QStringLiteral("签名：__________"), QStringLiteral("签名：__________")};
    w.text(QRectF(margin, y, contentWidth, 7), QStringLiteral("监考教师：") + signatures.join(QStringLiteral("　　")), headFont);
}

void signInSheet(LaidOutReport& report, const QList<SeatedRoomSheet>& rooms, qsizetype index)
{
    constexpr double footHeight = 26;
    const int perPage = int((footTop - 2 - signInTop - signInTable.rowHeight) / signInTable.rowHeight);
    const int lastPageRows = int((footTop - 2 - footHeight - signInTop - signInTable.rowHeight) / signInTable.rowHeight);
    const int total = int(rooms[index].candidates.size());
    int next = 0;
    while (true) {
        // The foot goes under the last rows, on a page of its own when they fill this one.
        const int remaining = total - next;
        const int take = remaining <= lastPageRows ? remaining : std::min(perPage, remaining);
        const bool last = remaining <= lastPageRows;
        report.pages.emplaceBack().drawLater = [rooms, index, next, take, last](LaidOutPage& page) {
            signInPage(page, rooms[index], next, take, last);
        };
        next += take;
        if (last)
            return;
    }
}

// ---- 考场门贴 ---------------------------------------------------------------

void doorNotice(LaidOutReport& report, const SeatedRoomSheet& room)
{
    const ReportFont roomFont{family, 60, true};
    const ReportFont timeFont{family, 20, true};
    const ReportFont paperFont{family, 14, false};
    const ReportFont paperHeadFont{family, 14, true};
    const Table papers{{QStringLiteral("课程名称"), QStringLiteral("试卷序号"), QStringLiteral("座位号"), QStringLiteral("人数")},
                       {104, 26, 30, 26},
                       11};
    int next = 0;
    while (true) {
        PageWriter w(report.pages.emplaceBack());
        w.text(QRectF(margin, margin + 4, contentWidth, 14), QStringLiteral("考　场"), timeFont, Qt::AlignCenter);
        w.text(QRectF(margin, margin + 18, contentWidth, 30), room.room, roomFont, Qt::AlignCenter);
        w.text(QRectF(margin, margin + 52, contentWidth, 12), room.time, timeFont, Qt::AlignCenter);
        const double top = margin + 72;
        double y = papers.row(w, top, papers.titles, paperHeadFont);
        const double bottom = footTop - 40;
        while (next < room.papers.size() && y + papers.rowHeight <= bottom) {
            const RoomPaper& p = room.papers[next++];
            y = papers.row(w, y,
                           {p.courses.join(QStringLiteral("、")), p.paper, QStringLiteral("%1–%2").arg(p.firstSeat).arg(p.lastSeat),
                            QString::number(p.candidates)},
                           paperFont);
        }
        papers.frame(w, top, y);
        if (next < room.papers.size())
            continue;
        w.text(QRectF(margin, y + 6, contentWidth, 11), QStringLiteral("合计 %1 人").arg(room.candidates.size()), timeFont,
               Qt::AlignRight | Qt::AlignVCenter);
        w.text(QRectF(margin, y + 20, contentWidth, 10),
               QStringLiteral("监考教师：%1").arg(room.invigilators.isEmpty() ? QStringLiteral("＿＿＿＿＿＿") : room.invigilators.join(QStringLiteral("　"))),
               paperFont);
        w.text(QRectF(margin, y + 32, contentWidth, 8), QStringLiteral("请考生凭学生证和考试通知单按座位号就座"), headFont);
        return;
    }
}

// ---- 试卷袋标签 -------------------------------------------------------------

void paperLabels(LaidOutReport& report, const QList<SeatedRoomSheet>& rooms, int spares)
{
    constexpr int across = 2, down = 4;
    const double width = contentWidth / across, height = (footTop - 2 - margin) / down;
    const ReportFont labelTitle{family, 12, true};
    const ReportFont courseFont{family, 11, true};
    const ReportFont lineFont{family, 9.5, false};
    int at = across * down;
    std::optional<PageWriter> w;
    for (const SeatedRoomSheet& room : rooms) {
        for (const RoomPaper& p : room.papers) {
            if (at == across * down) {
                w.emplace(report.pages.emplaceBack());
                at = 0;
            }
            const QRectF label(margin + (at % across) * width, margin + (at / across) * height, width, height);
            ++at;
            w->box(label.adjusted(2, 2, -2, -2), 0.3);
            const QRectF inner = label.adjusted(6, 5, -6, -5);
            double y = inner.top();
            w->text(QRectF(inner.left(), y, inner.width(), 7), QStringLiteral("试卷袋"), labelTitle, Qt::AlignCenter);
            y += 9;
            const QStringList course = w->measure.wrap(courseFont, p.courses.join(QStringLiteral("、")), inner.width()).mid(0, 2);
            w->lines(QRectF(inner.left(), y, inner.width(), 12), course, courseFont);
            y += 13;
            const QStringList lines{QStringLiteral("试卷序号：%1").arg(p.paper), QStringLiteral("考场：%1").arg(room.room),
                                    QStringLiteral("考试时间：%1").arg(room.time), QStringLiteral("考生：%1 人").arg(p.candidates),
                                    QStringLiteral("应装试卷：%1 份（含备用 %2 份）").arg(p.candidates + spares).arg(spares)};
            w->lines(QRectF(inner.left(), y, inner.width(), inner.bottom() - y), lines, lineFont);
        }
    }
}

// ---- 考试通知单 -------------------------------------------------------------

const Table noticeTable{{QStringLiteral("课程名称"), QStringLiteral("试卷序号"), QStringLiteral("考试时间"), QStringLiteral("考场"),
                         QStringLiteral("座位号")},
                        {66, 16, 62, 26, 16},
                        6.5};

void cutLine(PageWriter& w, double y)
{
    w.cutRule(margin - 6, y, pageWidth - margin + 6, y, 0.15);
    w.text(QRectF(pageWidth - margin - 20, y - 3.5, 20, 3.5), QStringLiteral("沿虚线剪开"), smallFont, Qt::AlignRight | Qt::AlignVCenter);
}

constexpr double noticeSpace = 7; // between two notices, the cut line in its middle

double noticeHeight(const StudentNotice& s)
{
    return 32 + noticeTable.rowHeight * double(s.papers.size() + 1);
}

void notice(PageWriter& w, const StudentNotice& s, double y)
{
    w.text(QRectF(margin, y, contentWidth, 8), QStringLiteral("考试通知单"), {family, 13, true}, Qt::AlignCenter);
    w.text(QRectF(margin, y + 10, contentWidth, 6), QStringLiteral("姓名：%1　　　学号：%2").arg(s.name, s.student), headFont);
    const double top = y + 17;
    double row = noticeTable.row(w, top, noticeTable.titles, tableHeadFont);
    for (const NoticePaper& p : s.papers)
        row = noticeTable.row(w, row, {p.course, p.paper, p.time, p.room.isEmpty() ? QStringLiteral("未定") : p.room, seatText(p.seat)},
                              cellFont);
    noticeTable.frame(w, top, row);
    w.text(QRectF(margin, row + 1.5, contentWidth, 5), QStringLiteral("请携带本通知单和学生证，提前 15 分钟到达考场，按座位号就座。"),
           smallFont);
}

// A page of notices first..last-1, one under another with cut lines between.
void noticePage(LaidOutPage& page, const QList<StudentNotice>& students, qsizetype first, qsizetype last)
{
    PageWriter w(page);
    double y = margin;
    for (qsizetype i = first; i < last; ++i) {
        if (i > first) {
            cutLine(w, y + noticeSpace / 2);
            y += noticeSpace;
        }
        notice(w, students[i], y);
        y += noticeHeight(students[i]);
    }
}

// A notice per student: thousands of pages for a large time, so the pages
// are broken by the notices' heights alone and each is drawn only as it is
// painted (the list is shared with the pages, not copied).
void examNotices(LaidOutReport& report, const QList<StudentNotice>& students)
{
    const auto addPage = [&](qsizetype first, qsizetype last) {
        report.pages.emplaceBack().drawLater = [students, first, last](LaidOutPage& page) {
            noticePage(page, students, first, last);
        };
    };
    qsizetype first = 0;
    double y = margin;
    for (qsizetype i = 0; i < students.size(); ++i) {
        const double height = noticeHeight(students[i]);
        if (i > first && y + noticeSpace + height > footTop - 2) {
            addPage(first, i);
            first = i;
            y = margin;
        } else if (i > first) {
            y += noticeSpace;
        }
        y += height;
    }
    if (first < students.size())
        addPage(first, students.size());
}

} // namespace

QString seatDocumentName(SeatDocument document)
{
    switch (document) {
    case SeatDocument::SeatingChart: return QStringLiteral("考场座位表");
    case SeatDocument::SignInSheet: return QStringLiteral("考生签到表");
    case SeatDocument::DoorNotice: return QStringLiteral("考场门贴");
    case SeatDocument::PaperLabels: return QStringLiteral("试卷袋标签");
    case SeatDocument::ExamNotices: return QStringLiteral("考试通知单");
    }
    return {};
}

LaidOutReport layOutSeatDocuments(const SeatDocumentJob& job)
{
    LaidOutReport report;
    report.pageLayout = QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF());
    for (const SeatDocument document : job.documents) {
        switch (document) {
        case SeatDocument::SeatingChart:
            for (qsizetype i = 0; i < job.rooms.size(); ++i)
                seatingChart(report, job.rooms, i);
            break;
        case SeatDocument::SignInSheet:
            for (qsizetype i = 0; i < job.rooms.size(); ++i)
                signInSheet(report, job.rooms, i);
            break;
        case SeatDocument::DoorNotice:
            for (const SeatedRoomSheet& room : job.rooms)
                doorNotice(report, room);
            break;
        case SeatDocument::PaperLabels:
            paperLabels(report, job.rooms, job.spares);
            break;
        case SeatDocument::ExamNotices:
            examNotices(report, job.students);
            break;
        }
    }
    numberPages(report, QRectF(margin, footTop, contentWidth, 5), smallFont);
    return report;
}

void printSeatDocuments(const PrintSetup& setup, const SeatDocumentJob& job)
{
    printLaidOut(setup, [&] { return layOutSeatDocuments(job); });
}

void exportSeatArrangement(const QList<SeatedRoomSheet>& rooms, const QString& path)
{
    Workbook book;
    Worksheet& sheet = book.firstSheet();
    const QStringList titles{QStringLiteral("考试时间"), QStringLiteral("考场"), QStringLiteral("座位号"), QStringLiteral("学号"),
                             QStringLiteral("姓名"), QStringLiteral("课程名称"), QStringLiteral("试卷序号")};
    for (int c = 0; c < titles.size(); ++c)
        sheet.setCell(1, c + 1, titles[c]);
    int row = 2;
    for (const SeatedRoomSheet& room : rooms) {
        for (const SeatedCandidate& c : room.candidates) {
            const QStringList values{room.time, room.room, {}, c.student, c.name, c.course, c.paper};
            for (int col = 0; col < values.size(); ++col) {
                if (col == 2) {
                    sheet.setCell(row, col + 1, CellValue::fromNumber(c.seat));
                    continue;
                }
                sheet.setNumberFormat(row, col + 1, QStringLiteral("@ "));
                sheet.setCell(row, col + 1, values[col].isEmpty() ? CellValue() : CellValue::fromText(values[col]));
            }
            ++row;
        }
    }
    book.saveAs(path);
}
