#include "CalendarPrinting.h"

#include "PageWriter.h"

#include <QLocale>
#include <cmath>

namespace {

const QString family = QStringLiteral("WenQuanYi Micro Hei");
const ReportFont titleFont{family, 14, true};
const ReportFont headFont{family, 9, true};
const ReportFont cellFont{family, 8, false};
const ReportFont smallFont{family, 7, false};

constexpr double pageWidth = 297, pageHeight = 210, margin = 12;
constexpr double labelWidth = 30, headHeight = 11, figureHeight = 6.5, barHeight = 2, maxRowHeight = 42;

QString dayHeading(const QDate& date)
{
    return QLocale(QLocale::Chinese, QLocale::China).toString(date, QStringLiteral("M月d日 dddd"));
}

void drawPeriods(PageWriter& w, const QRectF& cell, const QList<CalendarPeriod>& periods)
{
    if (periods.isEmpty())
        return;
    const double h = cell.height() / double(periods.size());
    for (int i = 0; i < periods.size(); ++i) {
        const CalendarPeriod& p = periods[i];
        const QRectF part(cell.left(), cell.top() + i * h, cell.width(), h);
        if (i > 0)
            w.rule(part.left(), part.top(), part.right(), part.top(), 0.1);
        const QRectF inner = part.adjusted(1.2, 0.8, -1.2, -barHeight - 1.2);
        const QStringList head = QStringList{periodFigures(p)} + p.shortfallLines();
        const int room = int(std::floor((inner.height() + 0.01) / w.measure.lineHeight(cellFont)));
        w.lines(inner, head + p.courseLines(room - int(head.size())), cellFont);
        // How full its rooms are, as a bar along the foot of the period.
        const QRectF bar(part.left() + 1.2, part.bottom() - barHeight - 0.8, part.width() - 2.4, barHeight);
        if (p.rooms > 0) {
            w.page.shades.append(QRectF(bar.topLeft(), QSizeF(bar.width() * std::min(p.fullness(), 1.0), bar.height())));
            w.box(bar, 0.1);
        }
    }
}

void footer(PageWriter& w, const QString& note)
{
    w.text(QRectF(margin, pageHeight - margin - 5, pageWidth - 2 * margin, 5), note, smallFont);
}

void weekPage(LaidOutReport& report, const TermCalendar& c, const QList<int>& days)
{
    LaidOutPage& page = report.pages.emplaceBack();
    PageWriter w(page);
    const QDate first = c.days[days.first()].date, last = c.days[days.last()].date;
    w.text(QRectF(margin, margin, pageWidth - 2 * margin, 9),
           QStringLiteral("考试日历　%1 至 %2").arg(first.toString(Qt::ISODate), last.toString(Qt::ISODate)), titleFont,
           Qt::AlignHCenter | Qt::AlignVCenter);
    const double top = margin + 12;
    // A week of few days keeps the columns of a working week.
    const double columnWidth = (pageWidth - 2 * margin - labelWidth) / double(std::max<qsizetype>(5, days.size()));
    const double room = pageHeight - margin - 7 - 3 * figureHeight - top - headHeight;
    const double rowHeight = std::min(maxRowHeight, room / double(std::max<qsizetype>(1, c.sittings.size())));
    const double figuresTop = top + headHeight + rowHeight * double(c.sittings.size());
    const double bottom = figuresTop + 3 * figureHeight;
    const double left = margin, right = margin + labelWidth + columnWidth * days.size();

    for (int d = 0; d < days.size(); ++d) {
        const double x = left + labelWidth + d * columnWidth;
        w.text(QRectF(x, top, columnWidth, headHeight), dayHeading(c.days[days[d]].date), headFont, Qt::AlignCenter);
    }
    for (int s = 0; s < c.sittings.size(); ++s) {
        const double y = top + headHeight + s * rowHeight;
        w.text(QRectF(left + 1, y, labelWidth - 2, rowHeight), c.sittings[s].isEmpty() ? QStringLiteral("（未写时段）") : c.sittings[s],
               headFont);
        for (int d = 0; d < days.size(); ++d)
            drawPeriods(w, QRectF(left + labelWidth + d * columnWidth, y, columnWidth, rowHeight), c.cells[s][days[d]]);
    }
    const QStringList figureNames{QStringLiteral("考生人次"), QStringLiteral("一天两门的学生"), QStringLiteral("连着两门的学生")};
    for (int r = 0; r < 3; ++r) {
        const double y = figuresTop + r * figureHeight;
        w.text(QRectF(left + 1, y, labelWidth - 2, figureHeight), figureNames[r], cellFont);
        for (int d = 0; d < days.size(); ++d) {
            const CalendarDay& day = c.days[days[d]];
            const int value = r == 0 ? day.candidates : r == 1 ? day.twoPapers : day.twoInARow;
            w.text(QRectF(left + labelWidth + d * columnWidth, y, columnWidth, figureHeight), QString::number(value), cellFont,
                   Qt::AlignCenter);
        }
    }
    // The grid: heavy lines around the sittings, light ones between the figures.
    for (int d = 0; d <= days.size(); ++d) {
        const double x = left + labelWidth + d * columnWidth;
        w.rule(x, top, x, bottom, d == 0 ? 0.4 : 0.2);
    }
    w.rule(left, top, left, bottom, 0.4);
    w.rule(left, top, right, top, 0.4);
    w.rule(left, top + headHeight, right, top + headHeight, 0.4);
    for (int s = 1; s <= c.sittings.size(); ++s)
        w.rule(left, top + headHeight + s * rowHeight, right, top + headHeight + s * rowHeight, s == c.sittings.size() ? 0.4 : 0.2);
    for (int r = 1; r <= 3; ++r)
        w.rule(left, figuresTop + r * figureHeight, right, figuresTop + r * figureHeight, r == 3 ? 0.4 : 0.1);
    footer(w, QStringLiteral("格子底部的灰条是该场次所用教室坐满的程度（整条为坐满）"));
}

void undatedPages(LaidOutReport& report, const TermCalendar& c)
{
    const QStringList titles{QStringLiteral("场次"), QStringLiteral("考试时间"), QStringLiteral("试卷"), QStringLiteral("考生"),
                             QStringLiteral("教室"), QStringLiteral("坐满"), QStringLiteral("课程")};
    const QList<double> widths{14, 50, 14, 14, 14, 16, 151};
    constexpr double rowHeight = 6.5;
    const double top = margin + 12;
    const int perPage = int((pageHeight - margin - 7 - top) / rowHeight) - 1;
    for (int start = 0; start < c.undated.size(); start += perPage) {
        LaidOutPage& page = report.pages.emplaceBack();
        PageWriter w(page);
        w.text(QRectF(margin, margin, pageWidth - 2 * margin, 9), QStringLiteral("未定日期的场次（按场次号）"), titleFont,
               Qt::AlignHCenter | Qt::AlignVCenter);
        const auto row = [&](double y, const QStringList& values, const ReportFont& font) {
            double x = margin;
            for (int i = 0; i < values.size(); ++i) {
                w.text(QRectF(x + 1, y, widths[i] - 2, rowHeight), values[i], font);
                x += widths[i];
            }
            w.rule(margin, y + rowHeight, x, y + rowHeight, 0.1);
        };
        row(top, titles, headFont);
        const int end = std::min<int>(int(c.undated.size()), start + perPage);
        for (int i = start; i < end; ++i) {
            const CalendarPeriod& p = c.undated[i];
            row(top + (i - start + 1) * rowHeight,
                {p.period, p.time.isEmpty() ? QStringLiteral("（没有考试时间）") : p.time, QString::number(p.papers),
                 QString::number(p.candidates), QString::number(p.rooms),
                 p.seats > 0 ? QStringLiteral("%1%").arg(std::lround(p.fullness() * 100)) : QStringLiteral("-"),
                 p.courses.join(QStringLiteral("、"))},
                cellFont);
        }
        w.rule(margin, top, margin + 273, top, 0.4);
    }
}

} // namespace

QString periodFigures(const CalendarPeriod& p)
{
    QString line = QStringLiteral("第%1场 %2人 %3间教室").arg(p.period).arg(p.candidates).arg(p.rooms);
    if (p.seats > 0)
        line += QStringLiteral(" 坐满 %1%").arg(std::lround(p.fullness() * 100));
    return line;
}

LaidOutReport layOutCalendar(const TermCalendar& calendar)
{
    LaidOutReport report;
    report.pageLayout = QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF());
    QList<int> week;
    for (int d = 0; d < calendar.days.size(); ++d) {
        const QDate date = calendar.days[d].date;
        // A week runs Monday to Sunday.
        if (!week.isEmpty() && date.addDays(1 - date.dayOfWeek()) != calendar.days[week.first()].date.addDays(1 - calendar.days[week.first()].date.dayOfWeek())) {
            weekPage(report, calendar, week);
            week.clear();
        }
        week.append(d);
    }
    if (!week.isEmpty())
        weekPage(report, calendar, week);
    undatedPages(report, calendar);
    numberPages(report, QRectF(margin, pageHeight - margin - 5, pageWidth - 2 * margin, 5), smallFont);
    return report;
}

void printCalendar(const PrintSetup& setup, const TermCalendar& calendar)
{
    printLaidOut(setup, [&] { return layOutCalendar(calendar); });
}
