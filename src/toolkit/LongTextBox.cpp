#include "LongTextBox.h"

#include "Form.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

LongTextBox::LongTextBox(const QString& text, bool yesByDefault, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("longTextBox"));
    setWindowTitle(QStringLiteral("Confirm"));
    textLabel = named(new QLabel(text), "longText");
    textLabel->setTextFormat(Qt::PlainText);
    textLabel->setWordWrap(true);
    textLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    textLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    textLabel->setMargin(6);
    textArea = named(new QScrollArea(this), "longTextArea");
    textArea->setWidget(textLabel);
    textArea->setWidgetResizable(true);
    textArea->setFrameShape(QFrame::NoFrame);
    textArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    yesButton = named(new QPushButton(QStringLiteral("&Yes"), this), "yesButton");
    noButton = named(new QPushButton(QStringLiteral("&No"), this), "noButton");
    (yesByDefault ? yesButton : noButton)->setDefault(true);
    (yesByDefault ? yesButton : noButton)->setFocus();
    connect(yesButton, &QPushButton::clicked, this, [this] {
        yes = true;
        accept();
    });
    connect(noButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(yesButton);
    buttons->addWidget(noButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(textArea, 1);
    layout->addLayout(buttons);
}

void LongTextBox::fitInto(const QRect& available)
{
    const QFontMetrics metrics(textLabel->font());
    int longest = 0;
    for (const QString& line : textLabel->text().split(u'\n'))
        longest = std::max(longest, metrics.horizontalAdvance(line));
    const int frame = 2 * textLabel->margin() + textArea->verticalScrollBar()->sizeHint().width()
                      + 2 * style()->pixelMetric(QStyle::PM_LayoutLeftMargin) + 8;
    const int width = std::clamp(longest + frame, 360, available.width() * 9 / 10);
    const int textWidth = width - frame + 2 * textLabel->margin();
    const int buttonsHeight = yesButton->sizeHint().height() + 3 * style()->pixelMetric(QStyle::PM_LayoutTopMargin);
    const int height = std::min(textLabel->heightForWidth(textWidth) + buttonsHeight + 8, available.height() * 9 / 10);
    resize(width, height);
    move(available.center() - rect().center());
}
