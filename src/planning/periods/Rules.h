#pragma once

#include "periods/SpreadRules.h"
#include "periods/TermTimetable.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

class DataModule;

// The clerk's rules for the exam times (排考要求), kept in t_pkyq.
enum class RuleKind {
    Sitting,    // a paper in one sitting of a date
    Date,       // a paper in any sitting of a date
    NotBefore,  // a paper on a date or later
    NotAfter,   // a paper on a date or earlier
    Together,   // two papers in one sitting (同堂)
    ApartDays,  // two papers never on one day
    After,      // the second paper in a later sitting than the first
    Length,     // a paper of `number` minutes, only in sittings at least as long
    DailyLimit, // per student at most `number` papers a day
    RunLimit,   // per student at most `number` papers in any `days` consecutive exam days
    LargeFirst, // papers of more than `number` candidates early, with `weight` (soft)
};

struct ExamRule {
    qint64 id = 0;
    RuleKind kind = RuleKind::Sitting;
    QString paper;
    QString otherPaper;
    QDate date;
    QString sitting; // a clock text, "08:00-10:00"
    int number = 0;
    int days = 0;
    int weight = 0;
};

// The kinds in the order the list offers them, with their names as stored and shown.
const QList<RuleKind>& ruleKinds();
QString ruleKindName(RuleKind kind);
// Which of paper, other paper, date, sitting, number, days, weight a kind uses.
struct RuleFields {
    bool paper = false, otherPaper = false, date = false, sitting = false, number = false, days = false, weight = false;
};
RuleFields ruleFields(RuleKind kind);

// Why a rule cannot be kept as given (in the clerk's words), or empty.
QString ruleFault(const ExamRule& rule);

QList<ExamRule> readRules(DataModule& dm);
// Stores a rule (trimmed); refused with ruleFault() when it is not sound.
void addRule(DataModule& dm, const ExamRule& rule);
void deleteRule(DataModule& dm, qint64 id);

// Per paper number (lower case, trimmed) its course names, "、" between:
// what the list shows beside a paper. A paper without roster rows is absent.
QHash<QString, QString> paperCourses(DataModule& dm);

// A rule in one line, its papers by number and course name; a paper that
// no longer exists says so.
QString ruleText(const ExamRule& rule, const QHash<QString, QString>& courses);
// The papers a rule names that no longer exist.
QStringList missingPapers(const ExamRule& rule, const QHash<QString, QString>& courses);

// The rules for one spread of the term: per vertex of term.placed and per
// slot of `times` (each "2027-01-11 星期一 08:00-10:00") laid out as `layout`.
struct TermRules {
    SpreadRules spread;
    // What makes the rules impossible to keep together, named with the
    // papers and one student; empty when nothing was found before the search.
    QStringList unmeetable;
};
TermRules termRules(const QList<ExamRule>& rules, const TermTimetable& term, const QStringList& times,
                    const PeriodLayout& layout);

// Per rule how often a timetable breaks it: 0 or 1 for a paper rule, the
// students (and days or runs) over a limit, the large papers after the
// first day for "大卷优先".
std::vector<long long> breachesPerRule(const QList<ExamRule>& rules, const TermTimetable& term,
                                       const Colouring& placement, const QStringList& times,
                                       const PeriodLayout& layout);

// The first hard rule that giving `period` the exam time `time` (the other
// periods keeping theirs) breaks more often than now; nullopt when none.
std::optional<ExamRule> ruleBrokenByTime(const QList<ExamRule>& rules, const TermTimetable& term, const QString& period,
                                         const QString& time);
