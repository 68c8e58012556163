#include "DbError.h"

#include <QRegularExpression>

namespace {

QString fullText(const QString& engineText)
{
    const QString hint = explainEngineText(engineText);
    return hint.isEmpty() ? engineText : hint + QStringLiteral("\n\n") + engineText;
}

} // namespace

DbError::DbError(const QString& engineText)
    : std::runtime_error(fullText(engineText).toStdString()), engine(engineText)
{
}

QString explainEngineText(const QString& engineText)
{
    struct Pattern {
        const char* regex;
        const char* hint; // %1 is the first captured group
    };
    static const Pattern patterns[] = {
        {"unable to open database file", "无法打开数据库文件：请检查当前目录下的 data\\data.mdb 是否存在。"},
        {"cannot store \\w+ value in INTEGER column (\\S+)", "“%1”只能填写整数，输入的内容无法保存。"},
        {"no such table: (\\S+)", "数据库中没有表或查询“%1”。"},
        {"no such column: (\\S+)", "数据库中没有列“%1”。"},
        {"database is locked", "数据库正被其他程序使用，请稍后再试。"},
        {"file is not a database|file is encrypted", "data.mdb 不是本程序可以打开的数据库文件。"},
        {"syntax error", "语句有语法错误，未执行。"},
        {"Field '(.+)' not found", "查询结果中没有列“%1”。"},
    };
    for (const Pattern& p : patterns) {
        const QRegularExpressionMatch m = QRegularExpression(QString::fromUtf8(p.regex)).match(engineText);
        if (m.hasMatch())
            return m.lastCapturedIndex() > 0 ? QString::fromUtf8(p.hint).arg(m.captured(1)) : QString::fromUtf8(p.hint);
    }
    return QStringLiteral("数据库操作失败。");
}
