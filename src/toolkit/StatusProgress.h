#pragma once

#include <QStatusBar>

class QProgressBar;

// A status bar of two panels: a fixed-width caption, then a progress bar, as
// the long loops (scheduling, import) show their progress.
class StatusProgress : public QStatusBar {
    Q_OBJECT

public:
    StatusProgress(const QString& caption, QWidget* parent);

    QProgressBar* ProgressBar1() const { return bar; }

private:
    QProgressBar* bar;
};
