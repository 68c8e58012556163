#include "Unit13.h"

#include "Dialogs.h"
#include "Form.h"
#include "Guard.h"
#include "Unit3.h"
#include "Windows.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace {
const QString password = QStringLiteral("kqz");
}

TForm13::TForm13(Windows& windows)
    : windows(windows)
{
    setObjectName(QStringLiteral("Form13"));
    setWindowTitle(QStringLiteral("h"));
    Label1 = named(new QLabel(QStringLiteral("用户名："), this), "Label1");
    Edit1 = named(new QLineEdit(QStringLiteral("admin"), this), "Edit1");
    Label2 = named(new QLabel(QStringLiteral("密    码："), this), "Label2");
    Edit2 = named(new QLineEdit(this), "Edit2");
    Edit2->setEchoMode(QLineEdit::Password);
    Button1 = named(new QPushButton(QStringLiteral("确认"), this), "Button1");
    Button1->setDefault(true);
    Button2 = named(new QPushButton(QStringLiteral("取消"), this), "Button2");

    auto* layout = new QGridLayout(this);
    layout->addWidget(Label1, 0, 0);
    layout->addWidget(Edit1, 0, 1, 1, 2);
    layout->addWidget(Label2, 1, 0);
    layout->addWidget(Edit2, 1, 1, 1, 2);
    layout->addWidget(Button1, 2, 1);
    layout->addWidget(Button2, 2, 2);
    setFixedSize(300, 150);
    centreOnScreen(this);

    Dialogs& dialogs = windows.dialogs;
    const auto check = guarded(dialogs, [this] { Button1Click(); });
    connect(Button1, &QPushButton::clicked, this, check);
    // Enter in either box checks the password, as the default button would.
    connect(Edit1, &QLineEdit::returnPressed, this, check);
    connect(Edit2, &QLineEdit::returnPressed, this, check);
    connect(Button2, &QPushButton::clicked, this, guarded(dialogs, [this] { Button2Click(); }));
}

void TForm13::Button1Click()
{
    if (Edit2->text() != password) {
        windows.dialogs.message(QStringLiteral("密码错误，请重新输入"));
        return;
    }
    windows.createRest();
    windows.Form3->show();
    windows.Form3->activateWindow();
    hide();
}

void TForm13::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    if (!painted) {
        painted = true;
        QTimer::singleShot(0, this, guarded(windows.dialogs, [this] { windows.createRest(); }));
    }
}

void TForm13::Button2Click()
{
    QCoreApplication::exit(0);
}
