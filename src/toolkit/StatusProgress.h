#pragma once

#include <QStatusBar>

class QProgressBar;

// A status bar whose first panel holds a progress bar, as the long loops
// (scheduling, import) show their progress.
class StatusProgress : public QStatusBar {
    Q_OBJECT

public:
    explicit StatusProgress(QWidget* parent = nullptr);

    QProgressBar* ProgressBar1() const { return bar; }

private:
    QProgressBar* bar;
};
