#include "Dialogs.h"

#include "LongTextBox.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QThread>
#include <QUrl>

namespace {

QWidget* owner()
{
    return QApplication::activeWindow();
}

void wait(int milliseconds, QEventLoop::ProcessEventsFlags flags)
{
    const QDeadlineTimer deadline(milliseconds);
    while (!deadline.hasExpired()) {
        QApplication::processEvents(flags, int(deadline.remainingTime()));
        QThread::msleep(qMin<qint64>(1, deadline.remainingTime()));
    }
}

int show(QMessageBox::Icon icon, const QString& caption, const QString& text)
{
    QMessageBox box(icon, caption, text, QMessageBox::Ok, owner());
    return box.exec();
}

} // namespace

void QtDialogs::message(const QString& text)
{
    show(QMessageBox::NoIcon, QApplication::applicationDisplayName(), text);
}

bool QtDialogs::confirm(const QString& text)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"), text, QMessageBox::NoButton, owner());
    QPushButton* yes = box.addButton(QStringLiteral("&Yes"), QMessageBox::YesRole);
    box.addButton(QStringLiteral("&No"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.exec();
    return box.clickedButton() == yes;
}

bool QtDialogs::confirmLong(const QString& text, bool yesByDefault)
{
    LongTextBox box(text, yesByDefault, owner());
    const QScreen* screen = owner() ? owner()->screen() : QApplication::primaryScreen();
    if (screen)
        box.fitInto(screen->availableGeometry());
    box.exec();
    return box.answeredYes();
}

void QtDialogs::information(const QString& text, const QString& caption)
{
    show(QMessageBox::Information, caption, text);
}

void QtDialogs::warning(const QString& text)
{
    show(QMessageBox::Warning, QStringLiteral("警告"), text);
}

void QtDialogs::error(const QString& text)
{
    show(QMessageBox::Critical, QApplication::applicationDisplayName(), text);
}

QString QtDialogs::openFileName(const QString& title, const QString& filter)
{
    return QFileDialog::getOpenFileName(owner(), title, QString(), filter);
}

QString QtDialogs::saveFileName(const QString& title, const QString& filter, const QString& suggestedName)
{
    return QFileDialog::getSaveFileName(owner(), title, suggestedName, filter);
}

void QtDialogs::openDocument(const QString& path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void QtDialogs::pause(int milliseconds)
{
    wait(milliseconds, QEventLoop::ExcludeUserInputEvents);
}

void QtDialogs::pauseTakingInput(int milliseconds)
{
    wait(milliseconds, QEventLoop::AllEvents);
}
