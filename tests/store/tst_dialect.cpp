// Statement translation: literals become bound values, the dialect is mended.
#include "Dialect.h"

#include <QTest>

Q_DECLARE_METATYPE(SqlText)

class TestDialect : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void translates_data();
    void translates();
    void oneTranslationServesItsShape_data();
    void oneTranslationServesItsShape();
    void refusesValuesOutsideQuotes_data();
    void refusesValuesOutsideQuotes();
    void takesPlainNamesOnly_data();
    void takesPlainNamesOnly();
};

void TestDialect::translates_data()
{
    QTest::addColumn<SqlText>("statement");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QStringList>("values");

    const QString quote = QStringLiteral("O'Brien\"; drop table t_js; --");

    QTest::newRow("delete star") << SqlText("delete * from t_kscs   ") << "delete from t_kscs   " << QStringList();
    QTest::newRow("delete star with condition")
        << (SqlText("delete * from t_js where jsm='") + QStringLiteral("101") + "'      ")
        << "delete from t_js where jsm= ?       " << QStringList{"101"};
    QTest::newRow("value inside literal binds whole literal")
        << (SqlText("select * from t_js where jsm='A-") + QStringLiteral("1") + "-B'")
        << "select * from t_js where jsm= ? " << QStringList{"A-1-B"};
    QTest::newRow("quote and comment stay a value")
        << (SqlText("select * from t_js where jsm='") + quote + "'")
        << "select * from t_js where jsm= ? " << QStringList{quote};
    QTest::newRow("keyword straight after closing quote")
        << (SqlText("select jsm as 教室,sum(Num1) as 考试人数 from ksap where t_kscs.cc='") + QStringLiteral("1") + "'group by jsm order by jsm ")
        << "select jsm as 教室,sum(Num1) as 考试人数 from ksap where cc= ? group by jsm order by jsm "
        << QStringList{"1"};
    QTest::newRow("qualified names of a saved query's sources")
        << SqlText("select t_kscs.sjxh as 试卷序号,kcmc.kcxh as 课程序号,kcmc from ksap where t_kscs.jsid=0")
        << "select sjxh as 试卷序号,kcxh as 课程序号,kcmc from ksap where jsid=0" << QStringList();
    QTest::newRow("qualifier naming the source stays")
        << (SqlText("select * FROM hbkap where hbkap.xh='") + QStringLiteral("1") + "'  order by t_bjgmd.sjxh asc")
        << "select * FROM hbkap where hbkap.xh= ?   order by sjxh asc" << QStringList{"1"};
    QTest::newRow("update set list loses qualifiers")
        << (SqlText("update t_kscs  set t_kscs.jsid='") + QStringLiteral("3") + "' where t_kscs.sjxh='" + QStringLiteral("12") + "'  ")
        << "update t_kscs  set jsid= ?  where t_kscs.sjxh= ?   " << QStringList{"3", "12"};
    QTest::newRow("like pattern in double quotes escapes the value's wildcards")
        << (SqlText("  select * FROM hbkap where hbkap.kcmc like \"%") + QStringLiteral("50%_off\\") + "%\"  order by kssj asc")
        << "  select * FROM hbkap where hbkap.kcmc like  ? escape ?   order by kssj asc"
        << QStringList{"%50\\%\\_off\\\\%", "\\"};
    QTest::newRow("a literal without values is bound too")
        << SqlText("select * from t_js where jsm like '%1%'") << "select * from t_js where jsm like  ? "
        << QStringList{"%1%"};
    QTest::newRow("doubled quote inside a literal")
        << SqlText("select 'it''s'") << "select  ? " << QStringList{"it's"};
    QTest::newRow("numbers with a dot are not names")
        << SqlText("select 1.5 from t_js") << "select 1.5 from t_js" << QStringList();
}

void TestDialect::translates()
{
    QFETCH(SqlText, statement);
    QFETCH(QString, sql);
    QFETCH(QStringList, values);
    const BoundStatement bound = translateStatement(statement);
    QCOMPARE(bound.sql, sql);
    QStringList got;
    for (const QVariant& v : bound.values)
        got.append(v.toString());
    QCOMPARE(got, values);
}

// The connection keeps one translation per shape and runs every statement of
// that shape through it: statements of one shape must get their own values,
// and statements of another shape must never share the shape.
void TestDialect::oneTranslationServesItsShape_data()
{
    QTest::addColumn<SqlText>("first");
    QTest::addColumn<SqlText>("second");
    QTest::addColumn<bool>("sameShape");

    const QString a = QStringLiteral("a");
    const QString b = QStringLiteral("b%_");
    QTest::newRow("other values") << (SqlText("select * from t_js where jsm='") + a + "' and rnrs='" + a + "'")
                                  << (SqlText("select * from t_js where jsm='") + b + "' and rnrs='" + QString() + "'") << true;
    QTest::newRow("other like pattern") << (SqlText("select * from t_js where jsm like \"%") + a + "%\"")
                                        << (SqlText("select * from t_js where jsm like \"%") + b + "%\"") << true;
    QTest::newRow("a value where the other has text")
        << (SqlText("select * from t_js where jsm='") + a + "'") << SqlText("select * from t_js where jsm='a'") << false;
    QTest::newRow("other blanks") << (SqlText("select * from t_js where jsm='") + a + "'")
                                  << (SqlText("select * from t_js where jsm='") + a + "' ") << false;
    QTest::newRow("a value more") << (SqlText("select * from t_js where jsm='") + a + "'")
                                  << (SqlText("select * from t_js where jsm='") + a + b + "'") << false;
}

void TestDialect::oneTranslationServesItsShape()
{
    QFETCH(SqlText, first);
    QFETCH(SqlText, second);
    QFETCH(bool, sameShape);
    QCOMPARE(TranslatedStatement::shapeOf(first) == TranslatedStatement::shapeOf(second), sameShape);
    if (sameShape) {
        const TranslatedStatement kept(first);
        const BoundStatement own = translateStatement(second);
        QCOMPARE(kept.sql(), own.sql);
        QCOMPARE(kept.values(second), own.values);
    }
}

void TestDialect::refusesValuesOutsideQuotes_data()
{
    QTest::addColumn<SqlText>("statement");
    QTest::newRow("bare value") << (SqlText("select * from t_js where jsid=") + QStringLiteral("1"));
    QTest::newRow("after a closed literal") << (SqlText("select * from t_js where jsm='a'") + QStringLiteral(" or 1=1"));
    QTest::newRow("unterminated quote") << SqlText("select * from t_js where jsm='a");
}

void TestDialect::refusesValuesOutsideQuotes()
{
    QFETCH(SqlText, statement);
    QVERIFY_THROWS_EXCEPTION(std::logic_error, translateStatement(statement));
}

// Names learnt at run time (a result's fields, the table a statement reads)
// become part of the statement, so nothing but a plain name gets in.
void TestDialect::takesPlainNamesOnly_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("plain");
    QTest::newRow("table") << "t_bjgmd" << true;
    QTest::newRow("saved query named in Chinese") << "考场拆分" << true;
    QTest::newRow("qualified column") << "t_kscs.cc" << true;
    QTest::newRow("letters and digits") << "Num1" << true;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("leading digit") << "1cc" << false;
    QTest::newRow("empty part") << "t_kscs." << false;
    QTest::newRow("quote") << "jsm='x' or '1'='1" << false;
    QTest::newRow("blank") << "jsm jsm" << false;
    QTest::newRow("second statement") << "t_js;drop table t_js" << false;
}

void TestDialect::takesPlainNamesOnly()
{
    QFETCH(QString, name);
    QFETCH(bool, plain);
    SqlText statement("select rid from ");
    if (!plain) {
        QVERIFY_THROWS_EXCEPTION(std::logic_error, statement.appendName(name));
        return;
    }
    statement.appendName(name).append(" where rid='").append(QStringLiteral("7")).append("'");
    QCOMPARE(statement.display(), "select rid from " + name + " where rid='7'");
    QCOMPARE(translateStatement(statement).values.size(), 1);
}

QTEST_GUILESS_MAIN(TestDialect)
#include "tst_dialect.moc"
