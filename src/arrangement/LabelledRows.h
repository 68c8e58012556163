#pragma once

#include <QList>
#include <QPair>

class QWidget;

// Lays out a group of caption/value pairs, one pair a row, with the group's
// button under the values, right-aligned.
void labelledRows(QWidget* group, const QList<QPair<QWidget*, QWidget*>>& rows, QWidget* button);
