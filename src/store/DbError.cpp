#include "DbError.h"

#include <QRegularExpression>
#include <QSqlError>

namespace {

QString fullText(const QString& engineText)
{
    const QString hint = explainEngineText(engineText);
    return hint.isEmpty() ? engineText : hint + QStringLiteral("\n\n") + engineText;
}

} // namespace

DbError::DbError(const QString& engineText, int engineCode)
    : std::runtime_error(fullText(engineText).toStdString()), engine(engineText), code(engineCode)
{
}

DbError::DbError(const QSqlError& error)
    : DbError(error.databaseText().isEmpty() ? error.text() : error.databaseText(),
              error.nativeErrorCode().toInt() & 0xff)
{
}

QString explainEngineText(const QString& engineText)
{
    struct Pattern {
        const char* regex;
        const char* hint; // %1 is the first captured group
    };
    static const Pattern patterns[] = {
        {"unable to open database file", "无法打开数据库文件：请检查当前目录下的 data\\data.mdb 是否存在，data 文件夹是否可以写入。"},
        {"attempt to write a readonly database",
         "数据库文件 data\\data.mdb 是只读的：数据可以查看和打印，但不能修改。请让这个文件可以写入后再试，不必重新启动程序。"},
        {"database or disk is full", "磁盘已满，这次修改没有保存，已保存的数据没有受损：请腾出磁盘空间后再试。"},
        {"disk I/O error", "读写数据库文件时出错（磁盘故障，或文件被其他程序改动）：请检查磁盘和 data\\data.mdb 后再试。"},
        {"cannot store REAL value in INTEGER column (\\S+)", "“%1”只能填写整数：输入的数不是整数，或者太大。"},
        {"cannot store \\w+ value in INTEGER column (\\S+)", "“%1”只能填写整数，输入的内容无法保存。"},
        {"no such table: (\\S+)", "数据库中没有表或查询“%1”。"},
        {"no such column: (\\S+)", "数据库中没有列“%1”。"},
        {"database (table )?is locked", "数据库正被其他程序使用（已锁定），这次操作没有完成：请稍后再试。"},
        {"database disk image is malformed|file is not a database|file is encrypted",
         "data.mdb 已损坏，或不是本程序可以打开的数据库文件：可以用“系统”菜单中的“恢复数据”换回一份备份。"},
        {"syntax error", "语句有语法错误，未执行。"},
        {"Field '(.+)' not found", "查询结果中没有列“%1”。"},
    };
    for (const Pattern& p : patterns) {
        const QRegularExpressionMatch m = QRegularExpression(QString::fromUtf8(p.regex)).match(engineText);
        if (m.hasMatch())
            return QString::fromUtf8(p.hint).contains(QLatin1String("%1")) ? QString::fromUtf8(p.hint).arg(m.captured(1))
                                                                        : QString::fromUtf8(p.hint);
    }
    return QStringLiteral("数据库操作失败。");
}
