#include "RecordingDialogs.h"

QStringList RecordingDialogs::takeTexts()
{
    QStringList texts;
    for (const Box& b : boxes)
        texts.append(b.text);
    boxes.clear();
    return texts;
}

void RecordingDialogs::message(const QString& text)
{
    boxes.append({QStringLiteral("message"), QString(), text});
}

bool RecordingDialogs::confirm(const QString& text)
{
    boxes.append({QStringLiteral("confirm"), QStringLiteral("Confirm"), text});
    return confirmAnswers.isEmpty() ? true : confirmAnswers.takeFirst();
}

bool RecordingDialogs::confirmLong(const QString& text, bool yesByDefault)
{
    boxes.append({QStringLiteral("confirm"), QStringLiteral("Confirm"), text, !yesByDefault});
    return confirmAnswers.isEmpty() ? true : confirmAnswers.takeFirst();
}

void RecordingDialogs::information(const QString& text, const QString& caption)
{
    boxes.append({QStringLiteral("information"), caption, text});
}

void RecordingDialogs::warning(const QString& text)
{
    boxes.append({QStringLiteral("warning"), QStringLiteral("警告"), text});
}

void RecordingDialogs::error(const QString& text)
{
    boxes.append({QStringLiteral("error"), QString(), text});
}

QString RecordingDialogs::openFileName(const QString&, const QString&)
{
    return openAnswers.isEmpty() ? QString() : openAnswers.takeFirst();
}

QString RecordingDialogs::saveFileName(const QString&, const QString&, const QString&)
{
    return saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
}

void RecordingDialogs::openDocument(const QString& path)
{
    openedDocuments.append(path);
}

void RecordingDialogs::pause(int milliseconds)
{
    pausedMilliseconds += milliseconds;
    if (duringPause)
        duringPause();
}

void RecordingDialogs::pauseTakingInput(int milliseconds)
{
    pause(milliseconds);
}
