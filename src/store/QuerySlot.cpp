#include "QuerySlot.h"

#include "Connection.h"
#include "DbError.h"

#include <QRegularExpression>
#include <algorithm>

void StatementLines::Clear()
{
    owner.Close();
    text.clear();
}

void StatementLines::Add(const SqlText& line)
{
    owner.Close();
    text.push_back(line);
}

QString StatementLines::Text() const
{
    return joinLines(text).display();
}

QString Field::AsString() const
{
    const QVariant v = AsVariant();
    return v.isNull() ? QString() : v.toString();
}

QVariant Field::AsVariant() const
{
    return slot.value(slot.cursor, column);
}

void Field::setAsString(const QString& value)
{
    slot.setValue(column, value);
}

RowGoneError::RowGoneError()
    : std::runtime_error("该记录已被删除或修改，请重新查询")
{
}

QuerySlot::QuerySlot(Connection& connection, const QString& name, Mode mode)
    : SQL(*this), connection(connection), slotName(name), mode(mode)
{
    setObjectName(name);
}

void QuerySlot::Close()
{
    if (!active)
        return;
    active = false;
    fields.clear();
    rows.clear();
    cursor = -1;
    eof = true;
    state = State::Browse;
    Q_EMIT resultChanged();
}

void QuerySlot::Open()
{
    Open({});
}

void QuerySlot::Open(const std::function<void(const QStringList& fields, const QVariantList& row)>& eachRow)
{
    Close();
    std::vector<QVariantList> read;
    StatementResult result = connection.run(joinLines(SQL.lines()), [&](const QStringList& names, const QVariantList& row) {
        if (eachRow)
            eachRow(names, row);
        read.push_back(row);
    });
    fields = std::move(result.fields);
    rows = std::move(read);
    active = true;
    cursor = rows.empty() ? -1 : 0;
    eof = rows.empty();
    Q_EMIT resultChanged();
}

void QuerySlot::ExecSQL()
{
    Close();
    rowsAffected = connection.execute(joinLines(SQL.lines()));
}

void QuerySlot::First()
{
    moveTo(0);
    eof = rows.empty();
}

void QuerySlot::Next()
{
    if (cursor + 1 < RecordCount())
        moveTo(cursor + 1);
    else
        eof = true;
}

void QuerySlot::Last()
{
    moveTo(RecordCount() - 1);
    eof = true;
}

void QuerySlot::moveTo(int row)
{
    if (rows.empty()) {
        cursor = -1;
        return;
    }
    cursor = qBound(0, row, RecordCount() - 1);
    eof = false;
    Q_EMIT cursorMoved(cursor);
}

int QuerySlot::fieldIndex(const QString& name) const
{
    for (int i = 0; i < fields.size(); ++i)
        if (fields[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QVariant QuerySlot::value(int row, int column) const
{
    if (row < 0 || row >= RecordCount() || column < 0 || column >= fields.size())
        return QVariant();
    return rows[size_t(row)][column];
}

Field QuerySlot::FieldByName(const QString& name)
{
    const int column = fieldIndex(name);
    if (column < 0)
        throw DbError(QStringLiteral("%1: Field '%2' not found").arg(slotName, name));
    return Field(*this, column);
}

void QuerySlot::Edit()
{
    if (!active || cursor < 0)
        throw DbError(QStringLiteral("%1: Cannot perform this operation on a closed or empty dataset").arg(slotName));
    state = State::Edit;
    assigned.clear();
    beforeEdit = rows[size_t(cursor)];
}

void QuerySlot::Append()
{
    if (!active)
        throw DbError(QStringLiteral("%1: Cannot perform this operation on a closed dataset").arg(slotName));
    rows.push_back(QVariantList(fields.size()));
    state = State::Insert;
    assigned.clear();
    Q_EMIT resultChanged();
    moveTo(RecordCount() - 1);
}

void QuerySlot::setValue(int column, const QVariant& value)
{
    if (state == State::Browse)
        throw DbError(QStringLiteral("%1: Dataset not in edit or insert mode").arg(slotName));
    rows[size_t(cursor)][column] = value;
    assigned.insert(column);
    Q_EMIT rowChanged(cursor);
}

void QuerySlot::Post()
{
    if (state == State::Browse)
        return;
    if (mode == Mode::Immediate)
        writeBack();
    state = State::Browse;
    assigned.clear();
    Q_EMIT rowChanged(cursor);
}

// The table or saved query that the statement reads, where rows are written back.
QString QuerySlot::updateSource() const
{
    // The word after the first word "from", words being parted by blanks,
    // commas and brackets.
    static const QRegularExpression source(QStringLiteral("(?:^|[\\s,()])from[\\s,()]+([^\\s,()]+)"),
                                           QRegularExpression::CaseInsensitiveOption);
    return source.match(SQL.Text()).captured(1);
}

bool QuerySlot::rowExists(const QString& source, const QVariant& key)
{
    SqlText statement("select rid from ");
    statement.appendName(source).append(" where rid='").append(key.toString()).append("'");
    return !connection.run(statement).rows.empty();
}

// Writes the assigned columns of the current row through the statement's
// source. A changed row is found again by its key `rid`, which the
// updatable saved query carries; an appended row needs no key.
void QuerySlot::writeBack()
{
    const QString source = updateSource();
    const int key = fieldIndex(QStringLiteral("rid"));
    if (source.isEmpty() || (state == State::Edit && key < 0))
        throw DbError(QStringLiteral("%1: the result cannot be updated (no row key)").arg(slotName));
    QVariantList& row = rows[size_t(cursor)];
    QList<int> columns = assigned.values();
    std::sort(columns.begin(), columns.end());
    columns.removeAll(key);

    if (state == State::Edit && !rowExists(source, row[key])) {
        // The row was deleted since it was read: nothing is written, and the
        // result shows the row as it was read.
        row = beforeEdit;
        state = State::Browse;
        assigned.clear();
        Q_EMIT rowChanged(cursor);
        throw RowGoneError();
    }

    SqlText statement;
    if (state == State::Insert) {
        statement.append("insert into ").appendName(source).append("(");
        for (int i = 0; i < columns.size(); ++i) {
            if (i > 0)
                statement.append(",");
            statement.appendName(fields[columns[i]]);
        }
        statement.append(") values(");
        for (int i = 0; i < columns.size(); ++i) {
            statement.append(i == 0 ? "'" : ",'");
            statement.append(row[columns[i]].toString());
            statement.append("'");
        }
        statement.append(")");
    } else {
        if (columns.isEmpty())
            return;
        statement.append("update ").appendName(source).append(" set ");
        for (int i = 0; i < columns.size(); ++i) {
            if (i > 0)
                statement.append(",");
            statement.appendName(fields[columns[i]]).append("='");
            statement.append(row[columns[i]].toString());
            statement.append("'");
        }
        statement.append(" where rid='");
        statement.append(row[key].toString());
        statement.append("'");
    }
    connection.execute(statement);
    if (state == State::Insert && key >= 0) {
        const StatementResult last = connection.run(SqlText("select max(rid) from ").appendName(source));
        if (!last.rows.empty())
            row[key] = last.rows.front().value(0);
    }
}
