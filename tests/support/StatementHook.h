#pragma once

#include <QByteArray>
#include <functional>

// Runs `action` each time a statement whose text starts with `prefix` (case
// ignored, blanks before it skipped) begins, on every connection this
// process opens while the hook lives, on whichever thread runs it: a fault
// or a second program can then step in at one exact point of the program's
// work. One hook at a time.
class StatementHook {
public:
    StatementHook(const QByteArray& prefix, std::function<void()> action);
    ~StatementHook();
    StatementHook(const StatementHook&) = delete;
    StatementHook& operator=(const StatementHook&) = delete;

private:
    QByteArray prefix;
    std::function<void()> action;
    friend struct StatementHookCalls;
};
