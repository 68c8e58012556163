#pragma once

// What the clerk does with the room windows' controls, done through the
// real widgets so that a disabled control refuses as it would on screen.
#include "ComboBox.h"
#include "DBGrid.h"
#include "GridRows.h"
#include "QuerySlot.h"

#include <QLineEdit>
#include <QStringList>
#include <QTest>

// The grid's table (the grid's own member of that name hides the view's).
inline const QAbstractItemModel* rowsOf(const DBGrid* grid)
{
    return static_cast<const QTableView*>(grid)->model();
}

// Clicks the first cell of a grid row; nothing happens on a disabled grid.
inline void clickRow(DBGrid* grid, int row)
{
    const QRect cell = grid->visualRect(rowsOf(grid)->index(row, 0));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
}

// Clicks the grid row whose column (by position) shows the given text.
inline void clickRowShowing(DBGrid* grid, int column, const QString& text)
{
    for (int row = 0; row < rowsOf(grid)->rowCount(); ++row) {
        if (rowsOf(grid)->index(row, column).data().toString() == text) {
            clickRow(grid, row);
            return;
        }
    }
    QFAIL(qPrintable(QStringLiteral("no row shows %1").arg(text)));
}

// Picks an entry of the list as the drop-down does: it becomes the text and
// the box reports the choice.
inline void pick(ComboBox* box, const QString& entry)
{
    QVERIFY2(box->isEnabled(), "the choice is locked");
    const int index = box->findText(entry);
    QVERIFY2(index >= 0, qPrintable(entry));
    box->setCurrentIndex(index);
    Q_EMIT box->textActivated(entry);
}

// Types into an edit box (after emptying it), one key at a time; any
// character, as an input method would deliver it.
inline void typeInto(QLineEdit* edit, const QString& text)
{
    edit->clear();
    for (const QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

inline void typeInto(ComboBox* box, const QString& text)
{
    typeInto(box->lineEdit(), text);
}

inline QStringList entries(const QComboBox* box)
{
    QStringList all;
    for (int i = 0; i < box->count(); ++i)
        all.append(box->itemText(i));
    return all;
}
