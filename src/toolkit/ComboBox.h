#pragma once

#include <QComboBox>
#include <QStringList>

// An editable choice box: a list to pick from and a text to type. Change
// fires on what the user does (picking an entry or typing), never when the
// program fills or empties the box, so that filling a list does not run the
// handler that a choice runs.
class ComboBox : public QComboBox {
    Q_OBJECT

public:
    explicit ComboBox(QWidget* parent = nullptr);

    // Replaces the list; the text stays as it was.
    void setItems(const QStringList& items);
    // Empties the text and replaces the list, without any signal.
    void refill(const QStringList& items);

Q_SIGNALS:
    void Change();
};
