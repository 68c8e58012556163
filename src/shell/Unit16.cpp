#include "Unit16.h"

#include <QLabel>
#include <QVBoxLayout>

TForm16::TForm16(Dialogs& dialogs, QWidget* parent)
    : Form(dialogs, QStringLiteral("Form16"), QStringLiteral("Form16"), parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(named(new QLabel(QStringLiteral("更新时间：2011-10-01"), this), "Label1"));
    layout->addWidget(named(new QLabel(QStringLiteral("更新时间：2011-10-07"), this), "Label2"));
    layout->addWidget(named(new QLabel(QStringLiteral("更新时间：2011-12-16"), this), "Label3"));
    resize(260, 140);
}
