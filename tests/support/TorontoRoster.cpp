#include "TorontoRoster.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>

namespace {

QStringList lines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    return QString::fromLatin1(file.readAll()).split(u'\n');
}

} // namespace

TorontoRoster TorontoRoster::load(const QString& folder, const QString& set)
{
    TorontoRoster roster;
    const QRegularExpression blanks(QStringLiteral("\\s+"));
    // Exam ids in .stu are numbers; the paper number is the id as .crs writes it.
    QHash<int, QString> paperOf;
    for (const QString& line : lines(folder + u'/' + set + QStringLiteral(".crs"))) {
        const QStringList parts = line.split(blanks, Qt::SkipEmptyParts);
        if (!parts.isEmpty())
            paperOf.insert(parts[0].toInt(), parts[0]);
    }
    roster.exams = int(paperOf.size());
    for (const QString& line : lines(folder + u'/' + set + QStringLiteral(".stu"))) {
        const QStringList ids = line.split(blanks, Qt::SkipEmptyParts);
        if (ids.isEmpty())
            continue;
        const QString student = QString::number(++roster.students);
        QSet<int> seen; // some lines list an exam twice
        for (const QString& id : ids) {
            const int exam = id.toInt();
            if (seen.contains(exam))
                continue;
            seen.insert(exam);
            const QString paper = paperOf.value(exam, id);
            roster.rows.append(QStringList{paper, paper, student, student, paper, paper, {}, QStringLiteral("toronto"), {}, QStringLiteral("补考")}.join(u'|'));
        }
    }
    return roster;
}
