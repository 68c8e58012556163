#pragma once

#include "Report.h"

#include <QList>
#include <QString>
#include <optional>

// A report project: the reports of one project file, loaded fresh each time
// it is opened. The file format is described in docs/report-format.md.
class ReportProject {
public:
    // The given path with '\' turned into '/', made absolute against the
    // current directory: ".\data\Project2.rav" -> "/cwd/data/Project2.rav".
    static QString resolvePath(const QString& path);

    // Reads and parses a project file. On failure returns nothing and sets
    // *error; a missing file gives "The following reporting project does not
    // exist:" and the full path in double quotes on the next line.
    static std::optional<ReportProject> load(const QString& path, QString* error);

    // Parses project text; origin names the text in messages ("<origin>, line N: ...").
    static std::optional<ReportProject> parse(const QString& text, const QString& origin,
                                              QString* error);

    // The report of that name, found regardless of case; nullptr when there is
    // none, with *error (when given) naming the report and the ones there are.
    const Report* find(const QString& name, QString* error = nullptr) const;

    const QList<Report>& reports() const { return list; }
    const QString& origin() const { return source; }

private:
    QString source;
    QList<Report> list;
};
