#pragma once

#include "Dialogs.h"

#include <QList>
#include <QStringList>
#include <functional>

// Records every box instead of showing it, and answers questions from
// queues set by the test. The pause returns at once.
class RecordingDialogs : public Dialogs {
public:
    struct Box {
        QString kind; // message, confirm (long ones too), information, warning, error
        QString caption;
        QString text;
        bool noByDefault = false; // a long question that Enter answers No
    };

    QList<Box> boxes;
    QList<bool> confirmAnswers; // empty: every confirmation is answered Yes
    QStringList openAnswers;
    QStringList saveAnswers;
    QStringList openedDocuments;
    qint64 pausedMilliseconds = 0;
    // Runs in every pause, where a real user could click (e.g. "取消").
    std::function<void()> duringPause;

    // The texts of the boxes so far, and forget them.
    QStringList takeTexts();
    QString lastText() const { return boxes.isEmpty() ? QString() : boxes.last().text; }

    void message(const QString& text) override;
    bool confirm(const QString& text) override;
    bool confirmLong(const QString& text, bool yesByDefault) override;
    void information(const QString& text, const QString& caption) override;
    void warning(const QString& text) override;
    void error(const QString& text) override;
    QString openFileName(const QString& title, const QString& filter) override;
    QString saveFileName(const QString& title, const QString& filter, const QString& suggestedName) override;
    void openDocument(const QString& path) override;
    void pause(int milliseconds) override;
    void pauseTakingInput(int milliseconds) override;
};
