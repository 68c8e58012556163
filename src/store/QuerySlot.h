#pragma once

#include "SqlText.h"

#include <QObject>
#include <QSet>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <stdexcept>
#include <vector>

class Connection;
class QuerySlot;

// The statement text of a slot (its SQL property). Any change closes the slot.
class StatementLines {
public:
    explicit StatementLines(QuerySlot& owner) : owner(owner) { }

    void Clear();
    void Add(const SqlText& line);
    void Add(const char* line) { Add(SqlText(line)); }
    void Add(const QString&) = delete; // a QString is a value, never a statement piece

    const std::vector<SqlText>& lines() const { return text; }
    QString Text() const;

private:
    QuerySlot& owner;
    std::vector<SqlText> text;
};

// One column of the current row.
class Field {
public:
    Field(QuerySlot& slot, int column) : slot(slot), column(column) { }

    QString AsString() const;
    QVariant AsVariant() const;
    // Needs the slot in Edit or Append state, as the original did.
    void setAsString(const QString& value);

private:
    QuerySlot& slot;
    int column;
};

// A change written back to a row that is no longer there (deleted since it
// was read): nothing was written. what() is the clerk's message.
class RowGoneError : public std::runtime_error {
public:
    RowGoneError();
};

// A shared query slot: a statement, and when open the whole result with a
// cursor (a static cursor: the rows stay as read until the slot is reopened).
class QuerySlot : public QObject {
    Q_OBJECT

public:
    // Batch slots keep changes to their own rows and never write them back.
    enum class Mode { Immediate, Batch };

    QuerySlot(Connection& connection, const QString& name, Mode mode = Mode::Immediate);

    StatementLines SQL;

    void Close();
    void Open();
    // Open, handing each row to `eachRow` as it is read, so that long work
    // on the result keeps pace with the reading. When `eachRow` throws, the
    // slot stays closed.
    void Open(const std::function<void(const QStringList& fields, const QVariantList& row)>& eachRow);
    void ExecSQL();
    int RowsAffected() const { return rowsAffected; }

    bool Active() const { return active; }
    void First();
    void Next();
    void Last();
    bool Eof() const { return eof; }
    int RecordCount() const { return int(rows.size()); }

    Field FieldByName(const QString& name);

    void Edit();
    void Append();
    void Post();

    // What grids and tests read.
    const QString& name() const { return slotName; }
    const QStringList& fieldNames() const { return fields; }
    int fieldIndex(const QString& name) const;
    QVariant value(int row, int column) const;
    int currentRow() const { return cursor; }
    void moveTo(int row);

Q_SIGNALS:
    void resultChanged();
    void rowChanged(int row);
    void cursorMoved(int row);

private:
    friend class Field;
    friend class StatementLines;
    enum class State { Browse, Edit, Insert };

    void setValue(int column, const QVariant& value);
    void writeBack();
    QString updateSource() const;
    bool rowExists(const QString& source, const QVariant& key);

    Connection& connection;
    QString slotName;
    Mode mode;
    bool active = false;
    QStringList fields;
    std::vector<QVariantList> rows;
    int cursor = -1;
    bool eof = true;
    int rowsAffected = 0;
    State state = State::Browse;
    QSet<int> assigned; // columns set since Edit or Append
    QVariantList beforeEdit; // the current row as it was when Edit began
};
