#include "InvigilationPrinting.h"

#include "ReportEngine.h"
#include "ReportProject.h"
#include "Workbook.h"

namespace {

QList<DataSet> groups(const InvigilationList& list)
{
    QList<DataSet> out;
    for (const QStringList& row : list.rows) {
        if (out.isEmpty() || out.last().rows.last().value(list.groupColumn) != row.value(list.groupColumn))
            out.append(DataSet{list.fields, {}});
        out.last().rows.append(row);
    }
    return out;
}

} // namespace

int printInvigilationList(const PrintSetup& setup, const InvigilationList& list, const QString& reportName)
{
    QString error;
    const auto project = ReportProject::load(QStringLiteral(".\\data\\Project2.rav"), &error);
    if (!project) {
        setup.dialogs.error(error);
        return 0;
    }
    const Report* report = project->find(reportName, &error);
    if (!report) {
        setup.dialogs.error(error);
        return 0;
    }
    const QList<DataSet> parts = groups(list);
    if (parts.isEmpty()) {
        setup.dialogs.message(QStringLiteral("还没有监考安排，无可打印的内容"));
        return 0;
    }
    const PageMaker pages = [&](const ReportProgress& progress, QString* problem) -> std::optional<LaidOutReport> {
        LaidOutReport job;
        for (const DataSet& part : parts) {
            const qsizetype before = job.pages.size();
            const ReportProgress counted = [&](ReportPhase phase, int page) {
                return !progress || progress(phase, int(before) + page);
            };
            auto laidOut = layOutReport(*report, part, counted, problem);
            if (!laidOut)
                return std::nullopt;
            job.pageLayout = laidOut->pageLayout;
            job.pages += laidOut->pages;
        }
        return job;
    };
    const ReportEngine engine(setup.settings);
    const QString failure = setup.preset ? engine.run(pages, *setup.preset, {}, setup.parent)
                                         : engine.execute(pages, setup.parent);
    if (!failure.isEmpty())
        setup.dialogs.error(failure);
    return int(parts.size());
}

void exportInvigilationList(const InvigilationList& list, const QString& path)
{
    Workbook book;
    Worksheet& sheet = book.firstSheet();
    for (int c = 0; c < list.titles.size(); ++c)
        sheet.setCell(1, c + 1, list.titles[c]);
    int row = 2;
    for (const QStringList& values : list.rows) {
        for (int c = 0; c < list.titles.size(); ++c) {
            sheet.setNumberFormat(row, c + 1, QStringLiteral("@ "));
            sheet.setCell(row, c + 1, values[c].isEmpty() ? CellValue() : CellValue::fromText(values[c]));
        }
        ++row;
    }
    book.saveAs(path);
}
