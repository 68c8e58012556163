#include "periods/Rules.h"

#include "DataModule.h"
#include "SlotSteps.h"
#include "time/ExamTime.h"

#include <algorithm>
#include <map>
#include <stdexcept>

namespace {

struct KindName {
    RuleKind kind;
    const char* name;
    RuleFields fields;
};

const KindName kindNames[] = {
    {RuleKind::Sitting, "固定场次", {true, false, true, true, false, false, false}},
    {RuleKind::Date, "固定日期", {true, false, true, false, false, false, false}},
    {RuleKind::NotBefore, "不早于", {true, false, true, false, false, false, false}},
    {RuleKind::NotAfter, "不晚于", {true, false, true, false, false, false, false}},
    {RuleKind::Together, "同堂", {true, true, false, false, false, false, false}},
    {RuleKind::ApartDays, "不同天", {true, true, false, false, false, false, false}},
    {RuleKind::After, "在后", {true, true, false, false, false, false, false}},
    {RuleKind::Length, "时长", {true, false, false, false, true, false, false}},
    {RuleKind::DailyLimit, "每天最多", {false, false, false, false, true, false, false}},
    {RuleKind::RunLimit, "连续几天最多", {false, false, false, false, true, true, false}},
    {RuleKind::LargeFirst, "大卷优先", {false, false, false, false, true, false, true}},
};

const KindName& entryOf(RuleKind kind)
{
    for (const KindName& entry : kindNames)
        if (entry.kind == kind)
            return entry;
    throw std::logic_error("unknown rule kind");
}

QString compared(const QString& paper)
{
    return paper.trimmed().toLower();
}

QString dateText(const QDate& date)
{
    return date.toString(QStringLiteral("yyyy-MM-dd"));
}

// A clock text in the program's form, or the text trimmed when it cannot be read.
QString sittingKey(const QString& sitting)
{
    const SittingReading read = readSitting(sitting);
    return read.sitting ? read.sitting->text() : sitting.trimmed();
}

// What the rules need of a slot.
struct SlotFacts {
    QDate date;
    QString sitting;
    int minutes = -1;
};

std::vector<SlotFacts> slotFacts(const QStringList& times)
{
    std::vector<SlotFacts> facts;
    for (const QString& time : times) {
        SlotFacts slot;
        if (const std::optional<ExamTime> read = readExamTime(time).time) {
            slot.date = read->date;
            slot.sitting = read->sitting.text();
            slot.minutes = read->sitting.end - read->sitting.start;
        }
        facts.push_back(slot);
    }
    return facts;
}

bool slotTakes(const ExamRule& rule, const SlotFacts& slot)
{
    switch (rule.kind) {
    case RuleKind::Sitting:
        return slot.date == rule.date && slot.sitting == sittingKey(rule.sitting);
    case RuleKind::Date:
        return slot.date == rule.date;
    case RuleKind::NotBefore:
        return slot.date.isValid() && slot.date >= rule.date;
    case RuleKind::NotAfter:
        return slot.date.isValid() && slot.date <= rule.date;
    case RuleKind::Length:
        return slot.minutes >= rule.number;
    default:
        return true;
    }
}

// The vertex of each placed paper number.
QHash<QString, int> vertexOfPaper(const TermTimetable& term)
{
    QHash<QString, int> vertex;
    for (int v = 0; v < int(term.placed.papers.size()); ++v)
        for (const QString& paper : term.placed.papers[v])
            vertex.insert(compared(paper), v);
    return vertex;
}

// Adds one rule to `spread`; false when it names a paper the timetable lacks.
bool addToSpread(SpreadRules& spread, const ExamRule& rule, const TermTimetable& term,
                 const QHash<QString, int>& vertexOf, const std::vector<SlotFacts>& offered)
{
    const RuleFields fields = ruleFields(rule.kind);
    const int v = vertexOf.value(compared(rule.paper), -1);
    const int w = vertexOf.value(compared(rule.otherPaper), -1);
    if ((fields.paper && v < 0) || (fields.otherPaper && w < 0))
        return false;
    const int papers = int(term.placed.papers.size());
    switch (rule.kind) {
    case RuleKind::Together:
        spread.together.emplace_back(v, w);
        break;
    case RuleKind::ApartDays:
        spread.apartDays.emplace_back(v, w);
        break;
    case RuleKind::After:
        spread.after.emplace_back(v, w);
        break;
    case RuleKind::DailyLimit:
        spread.dailyLimit = spread.dailyLimit > 0 ? std::min(spread.dailyLimit, rule.number) : rule.number;
        break;
    case RuleKind::RunLimit:
        spread.runLimits.push_back({rule.number, rule.days});
        break;
    case RuleKind::LargeFirst: {
        spread.lateCost.resize(papers, 0);
        std::vector<long long> size(papers, 0);
        for (const std::vector<int>& sits : term.enrolments.students)
            for (const int p : sits)
                ++size[p];
        for (int p = 0; p < papers; ++p)
            if (size[p] > rule.number)
                spread.lateCost[p] += size[p] * rule.weight;
        break;
    }
    default: {
        spread.allowed.resize(papers);
        std::vector<char>& row = spread.allowed[v];
        if (row.empty())
            row.assign(offered.size(), 1);
        for (std::size_t s = 0; s < offered.size(); ++s)
            row[s] = row[s] && slotTakes(rule, offered[s]);
    }
    }
    return true;
}

QString paperNamed(const TermTimetable& term, int v)
{
    return term.placed.papers[v].join(QStringLiteral("、"));
}

// One student who sits both papers, or -1.
int sharedStudent(const TermTimetable& term, int v, int w)
{
    for (std::size_t s = 0; s < term.enrolments.students.size(); ++s) {
        const std::vector<int>& sits = term.enrolments.students[s];
        if (std::find(sits.begin(), sits.end(), v) != sits.end() && std::find(sits.begin(), sits.end(), w) != sits.end())
            return int(s);
    }
    return -1;
}

QString studentNamed(const TermTimetable& term, int s)
{
    return s < term.placed.studentNumbers.size() ? term.placed.studentNumbers[s] : QString::number(s + 1);
}

// The papers that can only sit in one slot, by slot.
std::map<int, std::vector<int>> fixedPapers(const SpreadRules& spread)
{
    std::map<int, std::vector<int>> bySlot;
    for (std::size_t v = 0; v < spread.allowed.size(); ++v)
        if (!spread.allowed[v].empty() && std::count(spread.allowed[v].begin(), spread.allowed[v].end(), 1) == 1)
            bySlot[int(std::find(spread.allowed[v].begin(), spread.allowed[v].end(), 1) - spread.allowed[v].begin())]
                .push_back(int(v));
    return bySlot;
}

void nameUnmeetable(TermRules& out, const TermTimetable& term, const QStringList& times, const PeriodLayout& layout)
{
    const SpreadRules& spread = out.spread;
    for (std::size_t v = 0; v < spread.allowed.size(); ++v)
        if (!spread.allowed[v].empty() && std::count(spread.allowed[v].begin(), spread.allowed[v].end(), 1) == 0)
            out.unmeetable.append(QStringLiteral("试卷 %1 没有同时符合它的各条要求的场次。").arg(paperNamed(term, int(v))));
    for (const auto& [slot, papers] : fixedPapers(spread))
        for (std::size_t i = 0; i < papers.size(); ++i)
            for (std::size_t j = i + 1; j < papers.size(); ++j)
                if (const int s = sharedStudent(term, papers[i], papers[j]); s >= 0)
                    out.unmeetable.append(QStringLiteral("试卷 %1 和 %2 都只能在 %3 考试，但学号 %4 的学生两份都要考。")
                                              .arg(paperNamed(term, papers[i]), paperNamed(term, papers[j]), times[slot],
                                                   studentNamed(term, s)));
    for (const auto& [v, w] : spread.together)
        if (const int s = sharedStudent(term, v, w); s >= 0)
            out.unmeetable.append(QStringLiteral("试卷 %1 和 %2 要求同堂，但学号 %3 的学生两份都要考。")
                                      .arg(paperNamed(term, v), paperNamed(term, w), studentNamed(term, s)));
    for (const auto& [v, w] : spread.together)
        for (const auto& [a, b] : spread.apartDays)
            if ((a == v && b == w) || (a == w && b == v))
                out.unmeetable.append(QStringLiteral("试卷 %1 和 %2 既要求同堂，又要求不在同一天。")
                                          .arg(paperNamed(term, v), paperNamed(term, w)));
    const int days = layout.day.empty() ? 0 : *std::max_element(layout.day.begin(), layout.day.end()) + 1;
    const auto most = [&](int limit, int runDays) {
        const int runs = runDays > 0 ? (days + runDays - 1) / runDays : days;
        return (long long)limit * runs;
    };
    for (std::size_t s = 0; s < term.enrolments.students.size(); ++s) {
        const std::vector<int>& sits = term.enrolments.students[s];
        const auto named = [&] {
            QStringList papers;
            for (const int v : sits)
                papers.append(paperNamed(term, v));
            return papers.join(QStringLiteral("、"));
        };
        if (spread.dailyLimit > 0 && (long long)sits.size() > most(spread.dailyLimit, 0)) {
            out.unmeetable.append(QStringLiteral("每天最多 %1 场：学号 %2 的学生有 %3 份试卷（%4），%5 天里放不下。")
                                      .arg(spread.dailyLimit).arg(studentNamed(term, int(s))).arg(sits.size())
                                      .arg(named()).arg(days));
            break;
        }
        const auto tooFew = std::find_if(spread.runLimits.begin(), spread.runLimits.end(), [&](const auto& run) {
            return (long long)sits.size() > most(run.most, run.days);
        });
        if (tooFew != spread.runLimits.end()) {
            out.unmeetable.append(QStringLiteral("连续 %1 天最多 %2 场：学号 %3 的学生有 %4 份试卷（%5），%6 天里放不下。")
                                      .arg(tooFew->days).arg(tooFew->most).arg(studentNamed(term, int(s)))
                                      .arg(sits.size()).arg(named()).arg(days));
            break;
        }
    }
}

} // namespace

const QList<RuleKind>& ruleKinds()
{
    static const QList<RuleKind> kinds = [] {
        QList<RuleKind> all;
        for (const KindName& entry : kindNames)
            all.append(entry.kind);
        return all;
    }();
    return kinds;
}

QString ruleKindName(RuleKind kind)
{
    return QString::fromUtf8(entryOf(kind).name);
}

RuleFields ruleFields(RuleKind kind)
{
    return entryOf(kind).fields;
}

QString ruleFault(const ExamRule& rule)
{
    const RuleFields fields = ruleFields(rule.kind);
    if (fields.paper && rule.paper.trimmed().isEmpty())
        return QStringLiteral("请填写试卷序号。");
    if (fields.otherPaper && rule.otherPaper.trimmed().isEmpty())
        return QStringLiteral("请填写第二份试卷的序号。");
    if (fields.otherPaper && compared(rule.paper) == compared(rule.otherPaper))
        return QStringLiteral("两份试卷的序号相同，请填写两份不同的试卷。");
    if (fields.date && !rule.date.isValid())
        return QStringLiteral("请填写日期。");
    if (fields.sitting) {
        if (const SittingReading read = readSitting(rule.sitting); !read.sitting)
            return read.fault;
    }
    if (rule.kind == RuleKind::Length && (rule.number < 1 || rule.number > 24 * 60))
        return QStringLiteral("考试时长应在 1 到 1440 分钟之间。");
    if ((rule.kind == RuleKind::DailyLimit || rule.kind == RuleKind::RunLimit) && rule.number < 1)
        return QStringLiteral("每个学生最多的场数至少是 1。");
    if (rule.kind == RuleKind::RunLimit && rule.days < 2)
        return QStringLiteral("连续的天数至少是 2。");
    if (rule.kind == RuleKind::LargeFirst && (rule.number < 1 || rule.weight < 1))
        return QStringLiteral("大卷的人数和权重都至少是 1。");
    return {};
}

QList<ExamRule> readRules(DataModule& dm)
{
    QuerySlot& q = dm.ADOQuery13;
    openOn(q, "select yqid,lx,sjxh,sjxh1,rq,sj,sl,ts,qz from t_pkyq order by yqid");
    QList<ExamRule> rules;
    for (int r = 0; r < q.RecordCount(); ++r) {
        const QString kind = q.value(r, 1).toString().trimmed();
        const auto found = std::find_if(std::begin(kindNames), std::end(kindNames),
                                        [&](const KindName& entry) { return kind == QString::fromUtf8(entry.name); });
        if (found == std::end(kindNames))
            continue;
        ExamRule rule;
        rule.id = q.value(r, 0).toLongLong();
        rule.kind = found->kind;
        rule.paper = q.value(r, 2).toString();
        rule.otherPaper = q.value(r, 3).toString();
        rule.date = QDate::fromString(q.value(r, 4).toString(), QStringLiteral("yyyy-MM-dd"));
        rule.sitting = q.value(r, 5).toString();
        rule.number = q.value(r, 6).toInt();
        rule.days = q.value(r, 7).toInt();
        rule.weight = q.value(r, 8).toInt();
        rules.append(rule);
    }
    q.Close();
    return rules;
}

void addRule(DataModule& dm, const ExamRule& rule)
{
    if (const QString fault = ruleFault(rule); !fault.isEmpty())
        throw std::invalid_argument(fault.toStdString());
    const RuleFields fields = ruleFields(rule.kind);
    const auto used = [](bool on, const QString& text) { return on ? text.trimmed() : QString(); };
    const auto number = [](bool on, int n) { return QString::number(on ? n : 0); };
    executeOn(dm.ADOQuery8, SqlText("insert into t_pkyq(lx,sjxh,sjxh1,rq,sj,sl,ts,qz) values('") + ruleKindName(rule.kind)
                                + "','" + used(fields.paper, rule.paper) + "','" + used(fields.otherPaper, rule.otherPaper)
                                + "','" + used(fields.date, dateText(rule.date)) + "','"
                                + used(fields.sitting, sittingKey(rule.sitting)) + "','" + number(fields.number, rule.number)
                                + "','" + number(fields.days, rule.days) + "','" + number(fields.weight, rule.weight) + "')");
}

void deleteRule(DataModule& dm, qint64 id)
{
    executeOn(dm.ADOQuery8, SqlText("delete from t_pkyq where yqid='") + QString::number(id) + "'");
}

QHash<QString, QString> paperCourses(DataModule& dm)
{
    QuerySlot& q = dm.ADOQuery13;
    openOn(q, "select sjxh,kcmc from t_bjgmd group by sjxh,kcmc order by sjxh,min(rid)");
    QHash<QString, QStringList> names;
    for (int r = 0; r < q.RecordCount(); ++r) {
        QStringList& list = names[compared(q.value(r, 0).toString())];
        const QString course = q.value(r, 1).toString().trimmed();
        if (!course.isEmpty() && !list.contains(course))
            list.append(course);
    }
    q.Close();
    QHash<QString, QString> courses;
    for (auto it = names.begin(); it != names.end(); ++it)
        courses.insert(it.key(), it.value().join(QStringLiteral("、")));
    return courses;
}

QStringList missingPapers(const ExamRule& rule, const QHash<QString, QString>& courses)
{
    const RuleFields fields = ruleFields(rule.kind);
    QStringList missing;
    if (fields.paper && !courses.contains(compared(rule.paper)))
        missing.append(rule.paper.trimmed());
    if (fields.otherPaper && !courses.contains(compared(rule.otherPaper)))
        missing.append(rule.otherPaper.trimmed());
    return missing;
}

QString ruleText(const ExamRule& rule, const QHash<QString, QString>& courses)
{
    const auto paper = [&](const QString& number) {
        const QString key = compared(number);
        return courses.contains(key) ? QStringLiteral("试卷 %1（%2）").arg(number.trimmed(), courses.value(key))
                                     : QStringLiteral("试卷 %1（已不存在）").arg(number.trimmed());
    };
    const QString date = dateText(rule.date);
    switch (rule.kind) {
    case RuleKind::Sitting:
        return QStringLiteral("%1 在 %2 %3 考试").arg(paper(rule.paper), date, rule.sitting);
    case RuleKind::Date:
        return QStringLiteral("%1 在 %2 考试（哪一场都可以）").arg(paper(rule.paper), date);
    case RuleKind::NotBefore:
        return QStringLiteral("%1 不早于 %2").arg(paper(rule.paper), date);
    case RuleKind::NotAfter:
        return QStringLiteral("%1 不晚于 %2").arg(paper(rule.paper), date);
    case RuleKind::Together:
        return QStringLiteral("%1 和 %2 同堂考试").arg(paper(rule.paper), paper(rule.otherPaper));
    case RuleKind::ApartDays:
        return QStringLiteral("%1 和 %2 不在同一天").arg(paper(rule.paper), paper(rule.otherPaper));
    case RuleKind::After:
        return QStringLiteral("%1 在 %2 之后").arg(paper(rule.otherPaper), paper(rule.paper));
    case RuleKind::Length:
        return QStringLiteral("%1 考 %2 分钟，只排在够长的场次").arg(paper(rule.paper)).arg(rule.number);
    case RuleKind::DailyLimit:
        return QStringLiteral("每个学生每天最多 %1 场").arg(rule.number);
    case RuleKind::RunLimit:
        return QStringLiteral("每个学生连续 %1 个考试日最多 %2 场").arg(rule.days).arg(rule.number);
    case RuleKind::LargeFirst:
        return QStringLiteral("超过 %1 人的试卷尽量排在前面几天（权重 %2）").arg(rule.number).arg(rule.weight);
    }
    return {};
}

TermRules termRules(const QList<ExamRule>& rules, const TermTimetable& term, const QStringList& times,
                    const PeriodLayout& layout)
{
    TermRules out;
    const QHash<QString, int> vertexOf = vertexOfPaper(term);
    const std::vector<SlotFacts> offered = slotFacts(times);
    for (const ExamRule& rule : rules) {
        if (addToSpread(out.spread, rule, term, vertexOf, offered))
            continue;
        QStringList absent;
        for (const QString& paper : {rule.paper, rule.otherPaper})
            if (!paper.trimmed().isEmpty() && !vertexOf.contains(compared(paper)))
                absent.append(paper.trimmed());
        out.unmeetable.append(QStringLiteral("“%1”要求中的试卷 %2 没有排考或已不存在，请先修改或删除这条要求。")
                                  .arg(ruleKindName(rule.kind), absent.join(QStringLiteral("、"))));
    }
    nameUnmeetable(out, term, times, layout);
    return out;
}

std::vector<long long> breachesPerRule(const QList<ExamRule>& rules, const TermTimetable& term,
                                       const Colouring& placement, const QStringList& times,
                                       const PeriodLayout& layout)
{
    const QHash<QString, int> vertexOf = vertexOfPaper(term);
    const std::vector<SlotFacts> offered = slotFacts(times);
    std::vector<long long> counts;
    for (const ExamRule& rule : rules) {
        SpreadRules one;
        if (!addToSpread(one, rule, term, vertexOf, offered)) {
            counts.push_back(0);
            continue;
        }
        if (rule.kind == RuleKind::LargeFirst) {
            long long late = 0;
            for (std::size_t v = 0; v < one.lateCost.size(); ++v)
                late += one.lateCost[v] > 0 && layout.day[placement[v]] > 0;
            counts.push_back(late);
            continue;
        }
        counts.push_back(ruleBreaches(one, term.enrolments, placement, layout).hard());
    }
    return counts;
}

std::optional<ExamRule> ruleBrokenByTime(const QList<ExamRule>& rules, const TermTimetable& term, const QString& period,
                                         const QString& time)
{
    const auto found = std::find_if(term.placed.periodNumbers.begin(), term.placed.periodNumbers.end(),
                                    [&](const QString& number) { return compared(number) == compared(period); });
    if (found == term.placed.periodNumbers.end())
        return std::nullopt;
    QStringList times = term.times;
    times[int(found - term.placed.periodNumbers.begin())] = time.trimmed();
    const std::vector<long long> before = breachesPerRule(rules, term, term.placed.current, term.times, term.layout);
    const std::vector<long long> after = breachesPerRule(rules, term, term.placed.current, times, layoutOfTimes(times));
    for (int r = 0; r < rules.size(); ++r)
        if (rules[r].kind != RuleKind::LargeFirst && after[std::size_t(r)] > before[std::size_t(r)])
            return rules[r];
    return std::nullopt;
}
