#include "RoomPrinting.h"

#include "ReportEngine.h"
#include "ReportProject.h"
#include "SlotSteps.h"
#include "Transaction.h"

#include <QDir>
#include <QFileInfo>

namespace {

struct ExamRoom {
    QString time;
    QString room;
};

// The rooms with candidates at the time (every time when it is blank), as
// the saved query spells them, in order of time then room name.
QList<ExamRoom> roomsOfTime(QuerySlot& slot, const QString& time)
{
    if (time.trimmed().isEmpty())
        openOn(slot, "SELECT distinct kssj,jsm FROM hbkap where kssj is not null and jsm is not null order by kssj,jsm");
    else
        openOn(slot, SqlText("SELECT distinct kssj,jsm FROM hbkap where kssj='") + time
                         + "' and jsm is not null order by kssj,jsm");
    QList<ExamRoom> rooms;
    for (slot.First(); !slot.Eof(); slot.Next())
        rooms << ExamRoom{slot.FieldByName("kssj").AsString(), slot.FieldByName("jsm").AsString()};
    return rooms;
}

// The rows of the print table, as text, for the report.
DataSet printTable(QuerySlot& dataSet)
{
    openOn(dataSet, "select * from t_print1");
    DataSet data;
    data.fields = dataSet.fieldNames();
    for (int row = 0; row < dataSet.RecordCount(); ++row) {
        QStringList values;
        for (int column = 0; column < data.fields.size(); ++column)
            values << dataSet.value(row, column).toString();
        data.rows << values;
    }
    dataSet.Close();
    return data;
}

// The report "Report2", loaded afresh so a changed layout needs no restart.
// Unset when the project is missing or wrong (the clerk is told) or has no
// such report (nothing happens).
std::optional<Report> report2(Dialogs& dialogs)
{
    QString error;
    const auto project = ReportProject::load(QStringLiteral(".\\data\\Project2.rav"), &error);
    if (!project) {
        dialogs.error(error);
        return std::nullopt;
    }
    const Report* report = project->find(QStringLiteral("Report2"));
    return report ? std::optional<Report>(*report) : std::nullopt;
}

// Replaces t_print1 with the rows open on `list`, one statement per row.
void fillPrintTable(QuerySlot& list, QuerySlot& write)
{
    executeOn(write, "delete * from t_print1");
    for (list.First(); !list.Eof(); list.Next()) {
        const auto text = [&list](const char* field) { return list.FieldByName(field).AsString().trimmed(); };
        write.Close();
        write.SQL.Clear();
        write.SQL.Add("INSERT INTO t_print1(sjxh,kcxh,xh,xm,kcdm,kcmc,skjs,kkyx,bz,hbk,js,kssj) ");
        write.SQL.Add(SqlText("VALUES('") + text("sjxh") + "','" + text("kcxh") + "','" + text("xh") + "','"
                      + text("xm") + "','" + text("kcdm") + "','" + text("kcmc") + "','" + text("skjs") + "','"
                      + text("kkyx") + "','" + text("bz") + "','" + text("hbk") + "','" + text("jsm") + "','"
                      + text("kssj") + "')          ");
        write.ExecSQL();
    }
}

// Each room copied into t_print1 in turn and laid out under its own header
// and page count; the status counts the pages of the whole job.
std::optional<LaidOutReport> layOutEveryRoom(const Report& report, const QList<ExamRoom>& rooms,
                                             const ReportProgress& progress, QString* error, QuerySlot& list,
                                             QuerySlot& write, QuerySlot& dataSet)
{
    LaidOutReport job;
    for (const ExamRoom& room : rooms) {
        listRoom(list, room.time, room.room);
        fillPrintTable(list, write);
        const qsizetype before = job.pages.size();
        const ReportProgress counted = [&](ReportPhase phase, int page) {
            return !progress || progress(phase, int(before) + page);
        };
        auto part = layOutReport(report, printTable(dataSet), counted, error);
        if (!part)
            return std::nullopt;
        job.pageLayout = part->pageLayout;
        job.pages += part->pages;
    }
    return job;
}

} // namespace

void printPages(const PrintSetup& setup, const PageMaker& pages)
{
    const ReportEngine engine(setup.settings);
    if (setup.preset) {
        if (const QString error = engine.run(pages, *setup.preset, {}, setup.parent); !error.isEmpty())
            setup.dialogs.error(error);
        return;
    }
    OutputOptions output;
    if (const QString error = engine.execute(pages, setup.parent, &output); !error.isEmpty()) {
        setup.dialogs.error(error);
        return;
    }
    // A PDF file the clerk chose goes nowhere on screen: say where it is. A
    // cancelled one has been removed again.
    if (output.destination == OutputOptions::Destination::PdfFile && QFileInfo::exists(output.pdfPath))
        setup.dialogs.message(QStringLiteral("已生成 PDF 文件：%1").arg(QDir::toNativeSeparators(QFileInfo(output.pdfPath).absoluteFilePath())));
}

void printLaidOut(const PrintSetup& setup, const std::function<LaidOutReport()>& layOut)
{
    printPages(setup, [&](const ReportProgress& progress, QString*) -> std::optional<LaidOutReport> {
        LaidOutReport report = layOut();
        for (int i = 0; i < report.pages.size(); ++i)
            if (progress && !progress(ReportPhase::Generating, i + 1))
                return std::nullopt;
        return report;
    });
}

void listRoom(QuerySlot& list, const QString& time, const QString& room)
{
    list.Close();
    list.SQL.Clear();
    list.SQL.Add("SELECT sjxh,kcxh, xh,xm,kcdm,kcmc,skjs,kkyx,bz,hbk,jsm,kssj");
    list.SQL.Add("FROM hbkap                                        ");
    list.SQL.Add(SqlText("where kssj='") + time + "' and jsm='" + room
                 + "'  order by sjxh,kcxh,xh                                       ");
    list.Open();
}

void copyToPrintTable(Connection& connection, QuerySlot& list, QuerySlot& write)
{
    inTransaction(connection, [&] {
        fillPrintTable(list, write);
        return true;
    });
}

void printLastList(const PrintSetup& setup, QuerySlot& dataSet)
{
    const auto report = report2(setup.dialogs);
    if (!report)
        return;
    const DataSet rows = printTable(dataSet);
    if (rows.rows.isEmpty()) {
        setup.dialogs.message(QStringLiteral("没有可打印的考生，请先选择考试时间和教室"));
        return;
    }
    printPages(setup, [&](const ReportProgress& progress, QString* error) {
        return layOutReport(*report, rows, progress, error);
    });
}

int printEveryRoom(const PrintSetup& setup, const QString& time, QuerySlot& list, QuerySlot& write,
                   QuerySlot& dataSet)
{
    const auto report = report2(setup.dialogs);
    if (!report)
        return 0;
    const QList<ExamRoom> rooms = roomsOfTime(setup.dm.ADOQuery24, time);
    if (rooms.isEmpty()) {
        setup.dialogs.message(time.trimmed().isEmpty()
                                  ? QStringLiteral("没有已安排教室的考生，无可打印的考场")
                                  : QStringLiteral("这个考试时间没有已安排教室的考生，无可打印的考场"));
        return 0;
    }
    printPages(setup, [&](const ReportProgress& progress, QString* error) -> std::optional<LaidOutReport> {
        // One transaction for the whole job: the print table is scratch, and
        // a commit per room (or per candidate) would cost syncs, not pages.
        std::optional<LaidOutReport> laidOut;
        inTransaction(setup.dm.ADOConnection1, [&] {
            laidOut = layOutEveryRoom(*report, rooms, progress, error, list, write, dataSet);
            return true;
        });
        return laidOut;
    });
    return int(rooms.size());
}
