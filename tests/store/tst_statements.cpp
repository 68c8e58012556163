// Every statement text the program runs, with sample values, against a small
// roster: each must run unchanged through the statement layer and return the
// rows, or make the change, that the program relies on.
#include "DataModule.h"
#include "DbError.h"
#include "TestDatabase.h"

#include <QTest>

using Lines = std::vector<SqlText>;
Q_DECLARE_METATYPE(Lines)

namespace {

const QStringList roster = {
    "1|K1|S1|张三|C1|高等数学|王老师|数学系|备注1|补考",
    "1|K1|S2|李四|C1|高等数学|王老师|数学系|备注1|补考",
    "1|K1|S3|王五|C1|高等数学|王老师|数学系|备注1|缓考",
    "1|K1|S3|王五|C1|高等数学|王老师|数学系|备注1|缓考",
    "1|K2|S4|赵六|C2|大学物理|刘老师|物理系||补考",
    "2|K3|S1|张三|C3|无机化学|陈老师|化学系||补考",
    "2|K3|S5|孙七|C3|无机化学|陈老师|化学系||缓考",
    "10|K4|S2|李四|C4|大学英语|周老师|外语系||补考",
    "|K5|S6|吴八|C5|日语|郑老师|外语系||补考",
    "|K5|S7|钱九|C5|日语|郑老师|外语系||补考",
};

QString v(const char* text)
{
    return QString::fromUtf8(text);
}

} // namespace

class TestStatements : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void opens_data();
    void opens();
    void executes_data();
    void executes();
    void readsWhatTheEngineReads_data();
    void readsWhatTheEngineReads();

private:
    std::unique_ptr<TestDatabase> db;
    std::unique_ptr<DataModule> dm;
};

void TestStatements::init()
{
    db = std::make_unique<TestDatabase>();
    db->addRoster(roster);
    db->exec("INSERT INTO t_js(jsm,rnrs) VALUES('A101',60),('B202',40);"
             "INSERT INTO t_kscs VALUES('1','1','1',1),('2','2','2',0),('10','10','10',2);"
             "INSERT INTO t_cc VALUES('1','2027-01-10 08:30'),('2','2027-01-10 14:00'),('10','2027-01-12 08:30');");
    dm = std::make_unique<DataModule>();
    dm->reconfigure();
}

void TestStatements::cleanup()
{
    dm.reset();
    db.reset();
}

// Statements that return rows: the fields read and the rows expected, in
// order when the statement fixes the order.
void TestStatements::opens_data()
{
    QTest::addColumn<Lines>("statement");
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<bool>("ordered");
    QTest::addColumn<QStringList>("rows");

    auto row = [](const char* name, Lines s, QStringList fields, bool ordered, QStringList rows) {
        QTest::newRow(name) << s << fields << ordered << rows;
    };

    // Saved queries.
    row("papers largest first", {"select sjxh as 试卷序号,Num as 缓补考人数 from t_hbkrs order by Num desc,sjxh desc      "},
        {"试卷序号", "缓补考人数"}, true, {"1|5", "2|2", "10|1"});
    row("placement overview", {"select t_kscs.cc as 考试场次,t_kscs.sjxh as 试卷序号,Num as 缓补考人数,jsm as 指定教室,bz as 备注 from ksap order by Num"},
        {"考试场次", "试卷序号", "缓补考人数", "指定教室", "备注"}, false,
        {"10|10|1|B202|", "2|2|2||", "1|1|5|A101|备注1", "1|1|5|A101|"});
    row("period view", {SqlText("select t_kscs.sjxh as 试卷序号,kcmc.kcxh as 课程序号,kcmc as 课程名称, skjs as 授课教师,Num1 as 课程序号缓补考人数,Num as 缓补考人数,jsm as 指定教室,bz as 备注 from ksap where t_kscs.cc='") + v("1") + "'order by jsm desc,Num desc,t_kscs.sjxh asc "},
        {"试卷序号", "课程序号", "课程名称", "授课教师", "课程序号缓补考人数", "缓补考人数", "指定教室", "备注"}, false,
        {"1|K1|高等数学|王老师|4|5|A101|备注1", "1|K2|大学物理|刘老师|1|5|A101|"});
    row("room totals ordered", {SqlText("select jsm as 教室,sum(Num1) as 考试人数 from ksap where t_kscs.cc='") + v("1") + "'group by jsm order by jsm "},
        {"教室", "考试人数"}, true, {"A101|5"});
    row("room totals of a roomless period", {SqlText("select jsm as 教室,sum(Num1) as 考试人数 from ksap where t_kscs.cc='") + v("2") + "'group by jsm "},
        {"教室", "考试人数"}, true, {"|2"});
    row("placements without a room", {"select t_kscs.cc as 场次,t_kscs.sjxh as 试卷序号,Num as 缓补考人数,bz as 备注,jsm as 教室 from ksap where t_kscs.jsid=0 order by t_kscs.cc,jsm,t_kscs.sjxh"},
        {"场次", "试卷序号", "缓补考人数", "备注", "教室"}, true, {"2|2|2||"});
    row("search by course", {SqlText("select * FROM hbkap where kcxh='") + v("K3") + "' order by kssj asc,sjxh asc,kcdm,kcxh        "},
        {"sjxh", "xh", "cc", "kssj", "jsm"}, false, {"2|S1|2|2027-01-10 14:00|", "2|S5|2|2027-01-10 14:00|"});
    row("search by student, by exam time", {SqlText("select * FROM hbkap where hbkap.xh='") + v("S1") + "' order by kssj asc,hbkap.sjxh asc,hbkap.kcdm,hbkap.kcxh          "},
        {"sjxh", "kcxh", "kssj", "jsm"}, true, {"1|K1|2027-01-10 08:30|A101", "2|K3|2027-01-10 14:00|"});
    row("search by course code ignores case", {SqlText("select * FROM hbkap where hbkap.kcdm='") + v("c1") + "' order by kssj asc,hbkap.sjxh asc,hbkap.kcdm,hbkap.kcxh              "},
        {"xh"}, false, {"S1", "S2", "S3", "S3"});
    row("search by part of the course name", {SqlText("  select * FROM hbkap where hbkap.kcmc like \"%") + v("物理") + "%\"  order by kssj asc,hbkap.sjxh asc,hbkap.kcdm,hbkap.kcxh"},
        {"xh", "kcmc"}, true, {"S4|大学物理"});
    row("course name search with an empty box lists all", {SqlText("  select * FROM hbkap where hbkap.kcmc like \"%") + v("") + "%\"  order by kssj asc,hbkap.sjxh asc,hbkap.kcdm,hbkap.kcxh"},
        {"xh"}, false, {"S1", "S2", "S3", "S3", "S4", "S1", "S5", "S2", "S6", "S7"});
    row("a percent sign is searched literally", {SqlText("  select * FROM hbkap where hbkap.kcmc like \"%") + v("%") + "%\"  order by kssj asc,hbkap.sjxh asc,hbkap.kcdm,hbkap.kcxh"},
        {"xh"}, true, {});
    row("a student's papers in paper order", {SqlText("select * FROM hbkap where hbkap.xh='") + v("S2") + "'  order by t_bjgmd.sjxh asc"},
        {"sjxh"}, true, {"1", "10"});
    row("whole arrangement", {"select * from hbkap"}, {"xh"}, false, {"S1", "S2", "S3", "S3", "S4", "S1", "S5", "S2", "S6", "S7"});
    row("rooms of an exam time", {SqlText("SELECT distinct jsm FROM hbkap where kssj='") + v("2027-01-10 08:30") + "' "}, {"jsm"}, true, {"A101"});
    row("candidates of a room", {"SELECT sjxh,kcxh, xh,xm,kcdm,kcmc,skjs,kkyx,bz,hbk,jsm,kssj", "FROM hbkap                                        ",
                                 SqlText("where kssj='") + v("2027-01-10 08:30") + "' and jsm='" + v("A101") + "'  order by sjxh,kcxh,xh                                       "},
        {"sjxh", "kcxh", "xh"}, true, {"1|K1|S1", "1|K1|S2", "1|K1|S3", "1|K1|S3", "1|K2|S4"});
    row("period change conflict", {SqlText("SELECT * from bjgmd where (   xh in (select xh from bjgmd where sjxh='") + v("2") + "') and cc='" + v("1") + "')  "},
        {"xh", "sjxh", "cc"}, true, {"S1|1|1"});
    row("validation", {"select * FROM jyt_bjgmd"}, {"sjxh", "xh", "Num"}, true, {"1|S3|2"});
    row("courses without a paper", {"select kcxh,kcdm,kcmc,skjs,kkyx FROM nonsjxh  "}, {"kcxh", "kcdm", "kcmc", "skjs", "kkyx"}, true,
        {"K5|C5|日语|郑老师|外语系"});
    row("split list", {"select sjxh as 试卷序号,kcxh as 课程序号,Num1 as 该课程缓补考人数,Num as 总缓补考人数 from 考场拆分 order by Num desc,sjxh "},
        {"试卷序号", "课程序号", "该课程缓补考人数", "总缓补考人数"}, false, {"1|K1|4|5", "1|K2|1|5"});
    row("split list on refresh", {"select sjxh as 试卷序号,kcxh as 课程序号,Num1 as 该课程缓补考人数,Num as 总缓补考人数 from 考场拆分 order by Num desc,sjxh"},
        {"试卷序号"}, false, {"1", "1"});

    // Tables.
    row("import roster query", {"select sjxh,kcxh,xh,xm,kcdm,kcmc,skjs,kkyx,bz,hbk from t_bjgmd"}, {"xh"}, false,
        {"S1", "S2", "S3", "S3", "S4", "S1", "S5", "S2", "S6", "S7"});
    row("roster by position", {"select * from t_bjgmd"}, {"sjxh", "kcxh", "xh"}, false,
        {"1|K1|S1", "1|K1|S2", "1|K1|S3", "1|K1|S3", "1|K2|S4", "2|K3|S1", "2|K3|S5", "10|K4|S2", "|K5|S6", "|K5|S7"});
    row("departments", {"select distinct kkyx from t_bjgmd"}, {"kkyx"}, false, {"数学系", "物理系", "化学系", "外语系"});
    row("courses of a department", {SqlText("select distinct sjxh,kcxh,kcdm,kcmc,bz  from t_bjgmd where kkyx='") + v("数学系") + "' order by kcmc desc,kcdm desc"},
        {"sjxh", "kcxh", "kcdm", "kcmc", "bz"}, true, {"1|K1|C1|高等数学|备注1"});
    row("rows of a course", {SqlText("select kcxh,xh FROM t_bjgmd where kcxh='") + v("K2") + "'    "}, {"kcxh", "xh"}, true, {"K2|S4"});
    row("all placements", {"select * from t_kscs  "}, {"sjxh"}, false, {"1", "2", "10"});
    row("placement of a paper", {SqlText("select * from t_kscs where sjxh='") + v("2") + "'  "}, {"cc", "jsid"}, true, {"2|0"});
    row("period of a paper", {SqlText("select cc,sjxh from t_kscs where sjxh='") + v("10") + "'  "}, {"cc", "sjxh"}, true, {"10|10"});
    row("conflict test finds doubly seated students",
        {SqlText("  SELECT * FROM (select xh,count(*) from (select * from t_bjgmd where sjxh ='") + v("2") + "' or sjxh in (select sjxh from t_kscs where cc='" + v("1") + "') )  group by xh having count(*)>1)            "},
        {"xh"}, false, {"S1", "S3"});
    row("conflict test passes a free period",
        {SqlText("  SELECT * FROM (select xh,count(*) from (select * from t_bjgmd where sjxh ='") + v("10") + "' or sjxh in (select sjxh from t_kscs where cc='" + v("2") + "') )  group by xh having count(*)>1)            "},
        {"xh"}, true, {});
    row("periods in use", {"  SELECT distinct cc FROM t_kscs    "}, {"cc"}, false, {"1", "2", "10"});
    row("periods counted", {"select distinct cc from t_kscs  "}, {"cc"}, false, {"1", "2", "10"});
    row("placements counted", {"select sjxh from t_kscs  "}, {"sjxh"}, false, {"1", "2", "10"});
    row("period list", {"select cc from t_cc   "}, {"cc"}, false, {"1", "2", "10"});
    row("rooms by name", {"select jsm,rnrs from t_js order by jsm"}, {"jsm", "rnrs"}, true, {"A101|60", "B202|40"});
    row("capacity of a room", {SqlText("select rnrs from t_js where t_js.jsm='") + v("a101") + "' "}, {"rnrs"}, true, {"60"});
    row("id of a room", {SqlText("select jsid from t_js where jsm='") + v("B202") + "' "}, {"jsid"}, true, {"2"});
    row("a period", {SqlText("select * from t_cc where cc='") + v("10") + "'"}, {"cc", "kssj"}, true, {"10|2027-01-12 08:30"});
    row("periods with times", {"select cc as 考试场次,kssj as 考试时间 from t_cc "}, {"考试场次", "考试时间"}, false,
        {"1|2027-01-10 08:30", "2|2027-01-10 14:00", "10|2027-01-12 08:30"});
    row("room list", {"select jsm as 教室名称,rnrs as 容纳人数 from t_js "}, {"教室名称", "容纳人数"}, false, {"A101|60", "B202|40"});
    row("exam times", {"select kssj from t_cc order by kssj     "}, {"kssj"}, true,
        {"2027-01-10 08:30", "2027-01-10 14:00", "2027-01-12 08:30"});
    row("print table", {"select * from t_print1"}, {}, true, {});
}

void TestStatements::opens()
{
    QFETCH(Lines, statement);
    QFETCH(QStringList, fields);
    QFETCH(bool, ordered);
    QFETCH(QStringList, rows);

    QuerySlot& q = dm->ADOQuery1;
    q.Close();
    q.SQL.Clear();
    for (const SqlText& line : statement)
        q.SQL.Add(line);
    q.Open();
    QStringList got;
    for (q.First(); !q.Eof(); q.Next()) {
        QStringList values;
        for (const QString& f : fields)
            values.append(q.FieldByName(f).AsString());
        got.append(values.join(u'|'));
    }
    if (!ordered) {
        got.sort();
        rows.sort();
    }
    QCOMPARE(got, rows);
    QCOMPARE(q.RecordCount(), rows.size());
}

// Statements that change the tables: a direct query shows the effect.
void TestStatements::executes_data()
{
    QTest::addColumn<Lines>("statement");
    QTest::addColumn<QString>("check");
    QTest::addColumn<QStringList>("rows");

    auto row = [](const char* name, Lines s, const char* check, QStringList rows) {
        QTest::newRow(name) << s << QString::fromUtf8(check) << rows;
    };

    row("number a course", {SqlText("update t_bjgmd set sjxh='") + v("7") + "',bz='" + v("新备注") + "' where kcxh='" + v("K2") + "' "},
        "select sjxh,bz from t_bjgmd where kcxh='K2'", {"7|新备注"});
    // A value read from a null field is a null text; between quotes it is stored as the empty text.
    row("number a course, empty remark", {SqlText("update t_bjgmd set sjxh='") + v("7") + "',bz='" + QString() + "' where kcxh='" + v("K2") + "' "},
        "select sjxh,quote(bz) from t_bjgmd where kcxh='K2'", {"7|''"});
    row("drop a paper's placement", {SqlText("delete * from t_kscs where sjxh='") + v("2") + "'"}, "select sjxh from t_kscs order by sjxh", {"1", "10"});
    row("placement for a new number", {SqlText("insert into t_kscs(cc,sjxh,sjxh1,jsid) values('") + v("2") + "','" + v("7") + "','" + v("7") + "',0  )    "},
        "select cc,sjxh,sjxh1,jsid from t_kscs where sjxh='7'", {"2|7|7|0"});
    row("clear periods before scheduling", {" delete * from t_cc          "}, "select count(*) from t_cc", {"0"});
    row("place a paper without a room", {SqlText("INSERT INTO t_kscs(cc,sjxh,sjxh1) VALUES('") + v("3") + "','" + v("7") + "','" + v("7") + "'   )          "},
        "select cc,sjxh,sjxh1,jsid from t_kscs where sjxh='7'", {"3|7|7|0"});
    row("create a period", {SqlText("insert into t_cc(cc) values('") + v("3") + "')       "}, "select cc,kssj from t_cc where cc='3'", {"3|"});
    row("clear placements", {"delete * from t_kscs   "}, "select count(*) from t_kscs", {"0"});
    row("clear periods", {"delete * from t_cc "}, "select count(*) from t_cc", {"0"});
    row("assign a room (quoted number)", {SqlText("update t_kscs  set t_kscs.jsid='") + v("2") + "' where t_kscs.sjxh='" + v("2") + "'  "},
        "select jsid, typeof(jsid) from t_kscs where sjxh='2'", {"2|integer"});
    row("move a paper", {SqlText("update t_kscs  set cc='") + v("3") + "' where t_kscs.sjxh='" + v("2") + "'  "}, "select cc from t_kscs where sjxh='2'", {"3"});
    row("add a period on a move", {SqlText("insert into t_cc(cc) values('") + v("4") + "') "}, "select cc from t_cc where cc='4'", {"4"});
    row("split a course off", {SqlText("update t_bjgmd set sjxh='") + v("11") + "'  where kcxh='" + v("K2") + "'   "},
        "select sjxh from t_bjgmd where kcxh='K2'", {"11"});
    row("placement of a split paper", {SqlText("insert into t_kscs(cc,sjxh,sjxh1,jsid) values('") + v("1") + "','" + v("11") + "','" + v("1") + "',0  )    "},
        "select cc,sjxh,sjxh1,jsid from t_kscs where sjxh='11'", {"1|11|1|0"});
    row("set an exam time", {SqlText("    update t_cc set kssj='") + v("2027-01-11 09:00") + "' where cc='" + v("2") + "'       "},
        "select kssj from t_cc where cc='2'", {"2027-01-11 09:00"});
    row("delete a candidate and its duplicate",
        {SqlText("delete * FROM t_bjgmd where xh='") + v("S3") + "'  and  sjxh='" + v("1") + "' and kcxh='" + v("K1") + "' and kcdm='" + v("C1") + "' and kcmc='" + v("高等数学") + "' and  kkyx='" + v("数学系") + "' and  skjs='" + v("王老师") + "' "},
        "select count(*) from t_bjgmd where xh='S3'", {"0"});
    row("add a room", {SqlText("INSERT INTO t_js(jsm,rnrs) VALUES('") + v("C303'; --") + "','" + v("35") + "')       "},
        "select jsm,rnrs from t_js where jsid=3", {"C303'; --|35"});
    row("delete a room", {SqlText("delete * from t_js where jsm='") + v("a101") + "'      "}, "select jsm from t_js", {"B202"});
    row("initialize periods", {"delete * from t_cc     "}, "select count(*) from t_cc", {"0"});
    row("initialize roster", {"delete * from t_bjgmd     "}, "select count(*) from t_bjgmd", {"0"});
    row("initialize log", {"delete * from log      "}, "select count(*) from log", {"0"});
    row("initialize placements", {"delete * from t_kscs    "}, "select count(*) from t_kscs", {"0"});
    row("empty the print table", {"delete * from t_print1"}, "select count(*) from t_print1", {"0"});
    row("print a candidate", {"INSERT INTO t_print1(sjxh,kcxh,xh,xm,kcdm,kcmc,skjs,kkyx,bz,hbk,js,kssj) ",
                              SqlText("VALUES('") + v("1") + "','" + v("K1") + "','" + v("S1") + "','" + v("张三") + "','" + v("C1") + "','"
                                  + v("高等数学") + "','" + v("王老师") + "','" + v("数学系") + "','" + v("") + "','" + v("补考") + "','"
                                  + v("A101") + "','" + v("2027-01-10 08:30") + "')          "},
        "select xh,js,kssj from t_print1", {"S1|A101|2027-01-10 08:30"});
}

void TestStatements::executes()
{
    QFETCH(Lines, statement);
    QFETCH(QString, check);
    QFETCH(QStringList, rows);

    QuerySlot& q = dm->ADOQuery20;
    q.Close();
    q.SQL.Clear();
    for (const SqlText& line : statement)
        q.SQL.Add(line);
    q.ExecSQL();
    QVERIFY(!q.Active());
    QCOMPARE(db->rows(check), rows);
}

// Statements of other shapes than those above: through the layer they give
// the rows the engine gives for the same statement in its own dialect.
void TestStatements::readsWhatTheEngineReads_data()
{
    QTest::addColumn<SqlText>("statement");
    QTest::addColumn<QString>("engine");

    auto same = [](const char* name, const char* sql) { QTest::newRow(name) << SqlText(sql) << QString::fromUtf8(sql); };
    same("aliases in a join",
         "select b.xh, k.cc, j.jsm from t_kscs k join t_bjgmd b on b.sjxh=k.sjxh left join t_js as j on j.jsid=k.jsid "
         "order by b.xh, k.cc");
    same("comma join of tables", "select t_bjgmd.xh, t_kscs.cc from t_bjgmd, t_kscs where t_bjgmd.sjxh=t_kscs.sjxh order by 1, 2");
    QTest::newRow("comma join of aliases")
        << (SqlText("select b.xh, c.kssj from t_bjgmd b, t_kscs k, t_cc c where b.sjxh=k.sjxh and k.cc=c.cc and b.xh='") + v("S1")
            + "' order by c.kssj")
        << "select b.xh, c.kssj from t_bjgmd b, t_kscs k, t_cc c where b.sjxh=k.sjxh and k.cc=c.cc and b.xh='S1' order by c.kssj";
    QTest::newRow("correlated exists")
        << (SqlText("select k.sjxh from t_kscs k where exists (select 1 from t_bjgmd b where b.sjxh=k.sjxh and b.hbk='") + v("缓考")
            + "') order by k.sjxh")
        << "select k.sjxh from t_kscs k where exists (select 1 from t_bjgmd b where b.sjxh=k.sjxh and b.hbk='缓考') order by k.sjxh";
    same("scalar subquery",
         "select k.sjxh, (select count(*) from t_bjgmd b where b.sjxh=k.sjxh) as n from t_kscs k order by k.sjxh");
    QTest::newRow("subquery as a source")
        << (SqlText("select b.xh from t_bjgmd b join (select sjxh from t_kscs where cc='") + v("1") + "') p on p.sjxh=b.sjxh order by b.xh")
        << "select b.xh from t_bjgmd b join (select sjxh from t_kscs where cc='1') p on p.sjxh=b.sjxh order by b.xh";
    QTest::newRow("column of a saved query by its table's name")
        << (SqlText("select t_kscs.sjxh, Num, kcmc.kcxh from ksap where t_kscs.cc='") + v("1") + "' order by t_kscs.sjxh, kcmc.kcxh")
        << "select sjxh, Num, kcxh from ksap where cc='1' order by sjxh, kcxh";
    QTest::newRow("a saved query's column by its table's name inside a subquery")
        << (SqlText("select j.jsm from t_js j where j.jsid in (select t_kscs.jsid from ksap where t_kscs.cc='") + v("1") + "')")
        << "select j.jsm from t_js j where j.jsid in (select jsid from ksap where cc='1')";
}

void TestStatements::readsWhatTheEngineReads()
{
    QFETCH(SqlText, statement);
    QFETCH(QString, engine);
    const QStringList expected = db->rows(engine);
    QVERIFY(!expected.isEmpty());
    QStringList got;
    try {
        for (const QVariantList& values : dm->ADOConnection1.run(statement).rows) {
            QStringList row;
            for (const QVariant& value : values)
                row.append(value.toString());
            got.append(row.join(u'|'));
        }
    } catch (const DbError& e) {
        QFAIL(qPrintable(e.message()));
    }
    QCOMPARE(got, expected);
}

QTEST_GUILESS_MAIN(TestStatements)
#include "tst_statements.moc"
