#pragma once

#include "Form.h"

class QTextBrowser;

// "使用说明": the clerk's guide, an HTML page with pictures of the windows,
// shown inside the program.
class GuideWindow : public Form {
    Q_OBJECT

public:
    explicit GuideWindow(Dialogs& dialogs, QWidget* parent = nullptr);

    QTextBrowser* guideBrowser;

    // Shows the guide file (modally), from its top.
    void showGuide(const QString& file);
};

// Where the guide lies for a program in programFolder: guide/index.html
// beside a program built in a source tree (the build writes it there), or
// share/doc/paikao/guide/index.html of an installed one. Empty when neither
// exists.
QString findGuide(const QString& programFolder);
