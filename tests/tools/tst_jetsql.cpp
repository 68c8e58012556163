// The command-line shell: pieces and values joined as the program joins them.
#include "TestDatabase.h"

#include <QProcess>
#include <QTest>

namespace {

struct Result {
    int exitCode;
    QString out;
    QString err;
};

Result jetsql(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(JETSQL), QStringList{"data/data.mdb"} + args);
    p.waitForFinished();
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

} // namespace

class TestJetsql : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void runsAStatementUnchanged();
    void bindsValuesBetweenPieces();
    void reportsTheEngineErrorAndFails();
    void refusesArgumentsThatAreNotUtf8();
};

void TestJetsql::runsAStatementUnchanged()
{
    TestDatabase db;
    db.addRoster({"1|K1|S1", "1|K1|S2", "2|K2|S3"});
    const Result r = jetsql({"select sjxh as 试卷序号,Num as 缓补考人数 from t_hbkrs order by Num desc,sjxh desc      "});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.out, QString("试卷序号\t缓补考人数\n1\t2\n2\t1\n"));
}

void TestJetsql::bindsValuesBetweenPieces()
{
    TestDatabase db;
    const QString name = "O'Neil\"; drop table t_js; --";
    QCOMPARE(jetsql({"INSERT INTO t_js(jsm,rnrs) VALUES('", name, "','", "40", "')       "}).out, QString("1\n"));
    const Result r = jetsql({"select jsm,rnrs,null as empty from t_js where jsm='", name, "' "});
    QCOMPARE(r.out, "jsm\trnrs\tempty\n" + name + "\t40\t\n");
}

void TestJetsql::reportsTheEngineErrorAndFails()
{
    TestDatabase db;
    const Result r = jetsql({"INSERT INTO t_js(jsm,rnrs) VALUES('", "A", "','", "abc", "')       "});
    QCOMPARE(r.exitCode, 1);
    QVERIFY(r.err.contains("cannot store TEXT value in INTEGER column t_js.rnrs"));
    QCOMPARE(db.scalar("select count(*) from t_js"), QString("0"));
}

// Bytes that are not UTF-8 would be stored changed (as U+FFFD): refused.
void TestJetsql::refusesArgumentsThatAreNotUtf8()
{
    TestDatabase db;
    QProcess p;
    p.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"),
                                         QStringLiteral("exec \"$0\" data/data.mdb \"INSERT INTO t_js(jsm,rnrs) VALUES('\" \"$(printf 'A\\377')\" \"',1)\""),
                                         QStringLiteral(JETSQL)});
    p.waitForFinished();
    QCOMPARE(p.exitCode(), 2);
    QVERIFY(p.readAllStandardError().contains("not valid UTF-8"));
    QCOMPARE(db.scalar("select count(*) from t_js"), QString("0"));
}

QTEST_GUILESS_MAIN(TestJetsql)
#include "tst_jetsql.moc"

