// A plain program: random terms through thousands of random sequences of
// the clerk's steps (tests/support/TermSequences.h), the term's rules
// checked after every step that did something.
//
//     bench_sequences FIRST_SEED COUNT [STEPS]
//
// Prints how many sequences and steps ran, per kind how many were tried
// and done, how many sequences broke a rule, by the step and the rule, and
// the first sequence of each as a row to paste into
// tests/rooms/tst_termsequences.cpp (cut after the step that broke it).
#include "TermSequences.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringList>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    bool seedRead = false, countRead = false, stepsRead = true;
    const quint32 first = args.value(1).toUInt(&seedRead);
    const int count = args.value(2).toInt(&countRead);
    const int length = args.size() > 3 ? args.value(3).toInt(&stepsRead) : 30;
    if (!seedRead || !countRead || !stepsRead || count <= 0 || length <= 0) {
        std::fprintf(stderr, "usage: bench_sequences FIRST_SEED COUNT [STEPS]\n");
        return 2;
    }

    QMap<QString, int> tried, done;
    int failures = 0;
    long long steps = 0;
    QMap<QString, int> causes;         // failing sequences per step kind and rule
    QMap<QString, QString> firstOfCause; // the first of them, as a row of the test's table
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < count; ++i) {
        const quint32 seed = first + quint32(i);
        const QList<TermStep> drawn = drawnSteps(seed, length);
        const SequenceRun run = runSequence(seed, drawn);
        for (auto it = run.tried.begin(); it != run.tried.end(); ++it) {
            tried[it.key()] += it.value();
            steps += it.value();
        }
        for (auto it = run.done.begin(); it != run.done.end(); ++it)
            done[it.key()] += it.value();
        if (run.failure.isEmpty())
            continue;
        ++failures;
        if (causes[run.cause]++ == 0)
            firstOfCause[run.cause] = QStringLiteral("%1\n    QTest::newRow(\"seed %2\") << %2u << \"%3\";")
                                          .arg(run.failure)
                                          .arg(seed)
                                          .arg(stepsText(drawn.mid(0, run.failedStep + 1)));
    }
    std::printf("sequences %d (seeds %u..%u), steps %lld, failures %d, %.1f s\n", count, first,
                first + quint32(count - 1), steps, failures, clock.elapsed() / 1000.0);
    for (const QString& kind : termStepKinds())
        std::printf("  %-18s tried %7d  done %7d\n", qPrintable(kind), tried.value(kind), done.value(kind));
    for (auto it = causes.begin(); it != causes.end(); ++it)
        std::printf("\n%d sequences broke a rule at: %s; the first:\n%s\n", it.value(), qPrintable(it.key()),
                    qPrintable(firstOfCause[it.key()]));
    return failures == 0 ? 0 : 1;
}
