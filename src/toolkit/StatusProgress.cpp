#include "StatusProgress.h"

#include <QProgressBar>

StatusProgress::StatusProgress(QWidget* parent)
    : QStatusBar(parent), bar(new QProgressBar(this))
{
    setObjectName(QStringLiteral("StatusBar1"));
    bar->setObjectName(QStringLiteral("ProgressBar1"));
    bar->setTextVisible(false);
    bar->setValue(0);
    addWidget(bar, 1);
}
