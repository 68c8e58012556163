#pragma once

#include <QString>

class QAbstractItemView;

// Shows the text in the middle of the view whenever it has no rows, so that
// an empty list says why it is empty. Calling again replaces the text. The
// text is a label named "emptyListText" on the view's viewport.
void setEmptyListText(QAbstractItemView* view, const QString& text);
