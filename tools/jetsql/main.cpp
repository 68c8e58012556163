// jetsql DATABASE PIECE [VALUE PIECE]...
//
// Runs one statement through the program's own statement layer: the
// arguments after the database alternate between literal pieces and values,
// as the program joins them. Prints the rows tab-separated under a header
// line (a null as empty text), or the number of rows changed.
#include "Connection.h"
#include "DbError.h"

#include <QCoreApplication>
#include <QStringDecoder>
#include <QStringList>

#include <cstdio>
#include <stdexcept>

namespace {

void print(const QString& line)
{
    std::fputs(line.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
}

QString cell(const QVariant& v)
{
    return v.isNull() ? QString() : v.toString();
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 3) {
        std::fputs("usage: jetsql DATABASE PIECE [VALUE PIECE]...\n", stderr);
        return 2;
    }
    // Decoding would quietly turn bytes that are not UTF-8 into U+FFFD and
    // store a changed value; such an argument is refused instead.
    QStringList args{QString::fromLocal8Bit(argv[0])};
    for (int i = 1; i < argc; ++i) {
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString arg = utf8(QByteArrayView(argv[i]));
        if (utf8.hasError()) {
            std::fprintf(stderr, "argument %d is not valid UTF-8 text\n", i);
            return 2;
        }
        args.append(arg);
    }

    // The even arguments are the statement's structure, as the program's
    // own literals are; the odd ones are values.
    SqlText statement;
    for (int i = 2; i < args.size(); ++i) {
        if (i % 2 == 0)
            statement.append(args[i].toUtf8().constData());
        else
            statement.append(args[i]);
    }

    Connection connection;
    connection.setConnectionString(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=%1").arg(args[1]));
    try {
        const StatementResult result = connection.run(statement);
        if (result.fields.isEmpty()) {
            print(QString::number(result.rowsAffected));
            return 0;
        }
        print(result.fields.join(u'\t'));
        for (const QVariantList& values : result.rows) {
            QStringList row;
            for (const QVariant& value : values)
                row.append(cell(value));
            print(row.join(u'\t'));
        }
    } catch (const std::exception& e) {
        std::fputs(e.what(), stderr);
        std::fputc('\n', stderr);
        return 1;
    }
    return 0;
}
