#include "ComboBox.h"

#include <QLineEdit>

ComboBox::ComboBox(QWidget* parent)
    : QComboBox(parent)
{
    setEditable(true);
    // Typed text is the choice itself: it is neither added to the list nor
    // completed into an entry the user did not type.
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr);
    setMinimumContentsLength(8);
    connect(lineEdit(), &QLineEdit::textEdited, this, [this] { Q_EMIT Change(); });
    connect(this, &QComboBox::textActivated, this, [this] { Q_EMIT Change(); });
}

void ComboBox::setItems(const QStringList& items)
{
    const QString text = currentText();
    const QSignalBlocker quiet(this);
    clear();
    addItems(items);
    setCurrentIndex(-1);
    setEditText(text);
}

void ComboBox::refill(const QStringList& items)
{
    const QSignalBlocker quiet(this);
    clearEditText();
    setItems(items);
}
