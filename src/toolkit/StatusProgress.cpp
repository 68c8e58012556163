#include "StatusProgress.h"

#include <QLabel>
#include <QProgressBar>

StatusProgress::StatusProgress(const QString& caption, QWidget* parent)
    : QStatusBar(parent), bar(new QProgressBar(this))
{
    setObjectName(QStringLiteral("StatusBar1"));
    setSizeGripEnabled(false);
    auto* panel = new QLabel(caption, this);
    panel->setFixedWidth(50);
    addWidget(panel);
    bar->setObjectName(QStringLiteral("ProgressBar1"));
    bar->setTextVisible(false);
    bar->setValue(0);
    addWidget(bar, 1);
}
