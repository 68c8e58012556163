#pragma once

#include <QMainWindow>

class QAction;
class QMenu;
class TermSummaryView;
class Windows;

// The main window: the menu that opens every working window, over a summary
// of the term. Each time it becomes active it reconfigures the database
// connection and reads the summary again.
class TForm3 : public QMainWindow {
    Q_OBJECT

public:
    explicit TForm3(Windows& windows);

    QMenu* N1;
    QAction* N15;
    QAction* restoreDataItem;
    QAction* N10;
    QAction* N11;
    QMenu* N6;
    QAction* N14;
    QAction* N7;
    QAction* N3;
    QAction* N16;
    QAction* N13;
    QAction* invigilationItem;
    QAction* seatingItem;
    QAction* calendarItem;
    QMenu* N2;
    QAction* N8;
    QMenu* N4;
    QAction* N9;
    QMenu* N17;
    QAction* N12;
    QMenu* N5;
    QAction* N18;
    QMenu* helpMenu;
    QAction* guideItem;
    TermSummaryView* termSummary;

    void FormActivate();
    void N15Click();
    void restoreDataItemClick();
    void N10Click();
    void N11Click();
    void N14Click();
    void N7Click();
    void N3Click();
    void N16Click();
    void N13Click();
    void invigilationItemClick();
    void seatingItemClick();
    void calendarItemClick();
    void N8Click();
    void N9Click();
    void N12Click();
    void N18Click();
    void guideItemClick();

protected:
    bool event(QEvent* event) override;

private:
    QAction* item(QMenu* menu, const char* name, const QString& caption, void (TForm3::*handler)());

    Windows& windows;
};
