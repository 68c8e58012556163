#include "WorkFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <sqlite3.h>

namespace {

QString quoted(const QString& path)
{
    return QStringLiteral("“") + QDir::toNativeSeparators(path) + QStringLiteral("”");
}

// The schema as one transaction: all of it or nothing.
QString runScript(const QString& file, const QByteArray& script)
{
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db, script.constData(), nullptr, nullptr, nullptr);
    const QString reason = rc == SQLITE_OK ? QString() : QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
    sqlite3_close(db);
    return reason;
}

} // namespace

QString createDatabase(const QString& schemaFile, const QString& target)
{
    QFile schema(schemaFile);
    if (!schema.open(QIODevice::ReadOnly))
        return QStringLiteral("无法读取数据库结构文件%1：%2").arg(quoted(schemaFile), schema.errorString());
    const QByteArray script = "BEGIN;\n" + schema.readAll() + "\nCOMMIT;";

    // Built under a passing name and renamed when complete; the passing file
    // goes away on every failure.
    QTemporaryFile part(target + QStringLiteral(".XXXXXX"));
    if (!part.open())
        return QStringLiteral("无法建立数据库文件%1：%2").arg(quoted(target), part.errorString());
    const QString reason = runScript(part.fileName(), script);
    if (!reason.isEmpty())
        return QStringLiteral("无法建立数据库文件%1：%2").arg(quoted(target), reason);
    if (!part.rename(target))
        return QStringLiteral("无法建立数据库文件%1：%2").arg(quoted(target), part.errorString());
    part.setAutoRemove(false);
    return {};
}

QString enterWorkFolder(const QString& programFolder)
{
    const QDir shipped(QDir::cleanPath(programFolder + QStringLiteral("/" PAIKAO_SHIPPED_FILES)));
    if (!shipped.exists(QStringLiteral("schema.sql")))
        return {};

    const QString home = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    const QString folder = home + QStringLiteral("/paikao");
    const QString data = folder + QStringLiteral("/data");
    if (home.isEmpty() || !QDir().mkpath(data))
        return QStringLiteral("无法建立数据文件夹%1。").arg(quoted(data));

    const QString database = data + QStringLiteral("/data.mdb");
    if (!QFileInfo::exists(database)) {
        const QString problem = createDatabase(shipped.filePath(QStringLiteral("schema.sql")), database);
        if (!problem.isEmpty())
            return problem;
    }

    // The clerk may edit the report layout: never replace it, and keep the
    // copy writable even when the shipped file is not.
    const QString report = data + QStringLiteral("/Project2.rav");
    if (!QFileInfo::exists(report)) {
        QFile shippedReport(shipped.filePath(QStringLiteral("Project2.rav")));
        if (!shippedReport.copy(report))
            return QStringLiteral("无法把报表文件%1复制到%2：%3")
                .arg(quoted(shippedReport.fileName()), quoted(report), shippedReport.errorString());
        QFile::setPermissions(report, QFile::permissions(report) | QFile::ReadOwner | QFile::WriteOwner);
    }

    if (!QDir::setCurrent(folder))
        return QStringLiteral("无法进入数据文件夹%1。").arg(quoted(folder));
    return {};
}
