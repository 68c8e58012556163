#pragma once
// Random terms and random sequences of the clerk's steps, drawn from a
// seed and run through the windowless cores the windows call, the term's
// invariants (TermInvariants.h) checked after every step that did
// something. A sequence is its seed and its steps, written as text
// ("schedule rooms:17 time:4031 ..."), so that a failing one can be pasted
// into the test's table and replayed.
#include <QList>
#include <QMap>
#include <QString>

// One step: what the clerk does, and the number its choices are drawn from
// (which paper, room, period, time ...).
struct TermStep {
    QString kind;
    quint32 choice = 0;
};

// Every kind of step, in the order the counts are printed.
QStringList termStepKinds();

// `count` steps drawn from the seed: scheduling first, then others, the
// first of them (up to half) giving no period a time.
QList<TermStep> drawnSteps(quint32 seed, int count);

// "schedule rooms:17 ..." and back; an unknown kind reads as itself and
// fails when run.
QString stepsText(const QList<TermStep>& steps);
QList<TermStep> stepsFromText(const QString& text);

struct SequenceRun {
    QMap<QString, int> tried; // per kind
    QMap<QString, int> done;  // per kind, steps that reported success
    int failedStep = -1;      // index of the step that broke a rule or threw
    QString failure;          // that step and what it broke; empty when none
    QString cause;            // the step's kind and the first rule it broke ("handRoom empty"), or "threw"

    // The sequence for pasting back: "seed 17: schedule rooms:17 ...".
    static QString replay(quint32 seed, const QList<TermStep>& steps);
};

// Builds the seed's term in a fresh database (the current directory moves
// there while it runs) and runs the steps on it, stopping at the first
// step that leaves a broken rule.
SequenceRun runSequence(quint32 seed, const QList<TermStep>& steps);
