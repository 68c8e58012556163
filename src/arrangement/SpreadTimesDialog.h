#pragma once

#include "time/ExamCalendar.h"
#include "periods/SpreadAdoption.h"
#include "periods/Rules.h"
#include "periods/TermTimetable.h"

#include <QDialog>
#include <optional>

class Dialogs;
class QCheckBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QSpinBox;

// What the spread found: the periods it laid out and, per paper of the
// term, the period it gives it.
struct SpreadOutcome {
    ExamSlots periods;
    Colouring spread;
    bool stopped = false;
};

// The days and sittings of the automatic times, and the run of the spread
// over them with its progress and a way to stop it.
class SpreadTimesDialog : public QDialog {
    Q_OBJECT

public:
    SpreadTimesDialog(Dialogs& dialogs, QWidget* parent = nullptr);
    ~SpreadTimesDialog() override;

    QDateEdit* firstDateEdit;
    QList<QCheckBox*> skipWeekdayBoxes; // Monday .. Sunday
    QCheckBox* skipSaturdayBox;
    QCheckBox* skipSundayBox;
    QLineEdit* skippedDatesEdit;
    QListWidget* sittingsList;
    QPushButton* addSittingButton;
    QPushButton* removeSittingButton;
    QSpinBox* periodCountBox;
    QCheckBox* capacityLimitBox;
    QSpinBox* timeLimitBox;
    QLabel* calendarSummaryLabel;
    QProgressBar* spreadProgressBar;
    QLabel* spreadCostLabel;
    QPushButton* startSpreadButton;
    QPushButton* stopSpreadButton;
    QPushButton* cancelSpreadButton;
    QPushButton* rulesButton;

    // Sets the dialog up for the term and the clerk's rules: the number of
    // periods is the term's own, the capacity limit offered when its rooms
    // seat anybody.
    void prepare(TermTimetable term, QList<ExamRule> rules);
    // The rules changed in the list: the spread runs with these.
    void setRules(QList<ExamRule> rules) { forRules = std::move(rules); }
    const TermTimetable& term() const { return *forTerm; }
    const QList<ExamRule>& rules() const { return forRules; }

signals:
    // "排考要求" was pressed.
    void rulesWanted();

public:
    // The run's result once the dialog is accepted.
    const std::optional<SpreadOutcome>& outcome() const { return found; }

    void reject() override;

protected:
    // Closing the window while the spread runs cancels it, as "取消" would
    // have before: nothing is offered for adoption.
    void closeEvent(QCloseEvent* event) override;

private:
    ExamCalendar calendar() const;
    void showSummary();
    void addSitting();
    void removeSitting();
    void startSpread();
    void setRunning(bool running);

    Dialogs& dialogs;
    std::optional<TermTimetable> forTerm;
    QList<ExamRule> forRules;
    std::optional<SpreadOutcome> found;
    bool running = false;
    bool stopRequested = false;
    bool cancelRequested = false;
};

// Per rule its breaches before and after the spread.
struct RuleCounts {
    QList<ExamRule> rules;
    QHash<QString, QString> courses; // as paperCourses() gives them
    std::vector<long long> before;
    std::vector<long long> after;
};

// The figures before and after, what adopting takes away, and the question
// whether to adopt.
QString spreadComparisonText(const SpreadCounts& before, const SpreadCounts& after, const TermTimetable& term,
                             const SpreadOutcome& outcome, bool beforeHasDates, const SpreadLoss& loss,
                             const RuleCounts& ruleCounts);
