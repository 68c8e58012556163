// Rooms from a workbook in the classroom window: names and capacities as in
// the sheet, existing names updated, bad rows listed and skipped, and
// nothing imported when anything fails. Checked in the raw table.
//
// fixtures/rooms.xlsx was written by openpyxl and fixtures/rooms.xls by xlwt
// (Python), from the same rows; the second sheet of each must not be read.
#include "DBGrid.h"
#include "DataModule.h"
#include "RecordingDialogs.h"
#include "RoomSheet.h"
#include "TestDatabase.h"
#include "Unit5.h"
#include "WindowFixture.h"
#include "Workbook.h"

#include <QFile>
#include <QPushButton>
#include <QTest>

namespace {

const QString fixtures = QStringLiteral(PAIKAO_ROOM_FIXTURES);
const QString shared = QStringLiteral(PAIKAO_WORKBOOK_FIXTURES);

const char* const rawRooms = "SELECT jsid, quote(jsm), quote(rnrs), typeof(rnrs) FROM t_js ORDER BY jsid";

const char* const longName = "实验楼第二教学区多媒体阶梯教室（东侧，带同声传译设备）";

} // namespace

class TestRoomImport : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void workbooksWrittenByOtherPrograms_data();
    void workbooksWrittenByOtherPrograms();
    void cancelledChoiceChangesNothing();
    void errorImportsNothing_data();
    void errorImportsNothing();
    void realWorkbooks_data();
    void realWorkbooks();
    void rowsAndColumnsOfSeats();

private:
    void importFile(const QString& path);

    std::unique_ptr<WindowFixture<TForm5>> f;
};

void TestRoomImport::init()
{
    f = std::make_unique<WindowFixture<TForm5>>();
    // One room typed with blanks around and in small letters.
    f->db.exec("INSERT INTO t_js(jsm,rnrs) VALUES('A101',40),(' e601 ',10),('Z999',99)");
    f->w.show();
}

void TestRoomImport::cleanup()
{
    f.reset();
}

void TestRoomImport::importFile(const QString& path)
{
    f->dialogs.openAnswers = {path};
    auto* button = f->w.findChild<QPushButton*>("importRoomsButton");
    QVERIFY(button);
    QCOMPARE(button->text(), QString("导入教室"));
    button->click();
}

void TestRoomImport::workbooksWrittenByOtherPrograms_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("xlsx") << "rooms.xlsx";
    QTest::newRow("xls") << "rooms.xls";
}

void TestRoomImport::workbooksWrittenByOtherPrograms()
{
    QFETCH(QString, file);
    importFile(fixtures + "/" + file);
    QCOMPARE(f->dialogs.takeTexts(), QStringList{
        "导入教室完成：新增 3 间，更新 2 间，跳过 7 行。\n"
        "第 5 行：教室名称为空\n"
        "第 6 行：C404：容纳人数“0”不是大于 0 的整数\n"
        "第 7 行：C405：容纳人数“-5”不是大于 0 的整数\n"
        "第 8 行：C406：容纳人数“45.5”不是大于 0 的整数\n"
        "第 9 行：C407：容纳人数“四十”不是大于 0 的整数\n"
        "第 11 行：a101：与第 2 行的教室重名\n"
        "第 13 行：D501：容纳人数为空"});
    // Existing rooms keep their ids and names; new ones come trimmed.
    QCOMPARE(f->db.rows(rawRooms), (QStringList{"1|'A101'|60|integer", "2|' e601 '|35|integer", "3|'Z999'|99|integer",
                                     "4|'B202'|45|integer", "5|'䶮𪚥楼301'|120|integer",
                                     QString("6|'%1'|200|integer").arg(longName)}));
    // The list shows them at once.
    QCOMPARE(f->w.DBGrid1->model()->rowCount(), 6);

    // Again: the same rooms are updated, none added.
    importFile(fixtures + "/" + file);
    QVERIFY(f->dialogs.lastText().startsWith("导入教室完成：新增 0 间，更新 5 间，跳过 7 行。"));
    QCOMPARE(f->db.scalar("SELECT count(*) FROM t_js"), QString("6"));
}

void TestRoomImport::cancelledChoiceChangesNothing()
{
    const QStringList before = f->db.rows(rawRooms);
    importFile(QString());
    QCOMPARE(f->dialogs.boxes.size(), 0);
    QCOMPARE(f->db.rows(rawRooms), before);
}

void TestRoomImport::errorImportsNothing_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("trigger");
    QTest::addColumn<QString>("shown");
    // The engine refuses the third room, after two have been written.
    QTest::newRow("database refuses a row") << fixtures + "/rooms.xlsx"
        << "CREATE TRIGGER refuse BEFORE INSERT ON t_js WHEN NEW.jsm LIKE '%楼301'"
           " BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END"
        << "database or disk is full";
    QTest::newRow("not a workbook") << shared + "/invalid.xlsx" << QString() << QString();
    QTest::newRow("missing file") << fixtures + "/no-such-rooms.xlsx" << QString() << QString();
}

void TestRoomImport::errorImportsNothing()
{
    QFETCH(QString, file);
    QFETCH(QString, trigger);
    QFETCH(QString, shown);
    if (!QFile::exists(file) && file.startsWith(shared))
        QSKIP("the shared fixture workbooks are not present");
    if (!trigger.isEmpty())
        f->db.exec(trigger);
    const QStringList before = f->db.rows(rawRooms);
    importFile(file);
    QCOMPARE(f->dialogs.boxes.size(), 1);
    QCOMPARE(f->dialogs.boxes[0].kind, QString("information"));
    QCOMPARE(f->dialogs.boxes[0].caption, QString("提示信息"));
    QVERIFY2(f->dialogs.boxes[0].text.startsWith("导入教室出错，没有导入任何教室：\n"), qPrintable(f->dialogs.boxes[0].text));
    QVERIFY2(f->dialogs.boxes[0].text.contains(shown), qPrintable(f->dialogs.boxes[0].text));
    QCOMPARE(f->db.rows(rawRooms), before);
}

void TestRoomImport::realWorkbooks_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("report");
    QTest::addColumn<QStringList>("added");
    QTest::newRow("dates as names") << "date.xls" << "导入教室完成：新增 2 间，更新 0 间，跳过 0 行。"
                                    << QStringList{"'2021-01-02'|16", "'1900-01-10 15:10:10'|17"};
    QTest::newRow("no capacity column") << "issues.xls"
        << "导入教室完成：新增 0 间，更新 0 间，跳过 5 行。\n第 2 行：1.5：容纳人数为空\n第 3 行：ab：容纳人数为空\n"
           "第 4 行：FALSE：容纳人数为空\n第 5 行：test：容纳人数为空\n第 6 行：2016-10-20：容纳人数为空"
        << QStringList{};
    QTest::newRow("header row only") << "empty-string.xls" << "导入教室完成：新增 0 间，更新 0 间，跳过 0 行。"
                                     << QStringList{};
}

// Workbooks that were never meant as room lists still import only what is a room.
void TestRoomImport::realWorkbooks()
{
    QFETCH(QString, file);
    QFETCH(QString, report);
    QFETCH(QStringList, added);
    if (!QFile::exists(shared + "/" + file))
        QSKIP("the shared fixture workbooks are not present");
    importFile(shared + "/" + file);
    QCOMPARE(f->dialogs.boxes.size(), 1);
    QCOMPARE(f->dialogs.lastText().split(u'\n'), report.split(u'\n'));
    QCOMPARE(f->db.rows("SELECT quote(jsm), rnrs FROM t_js WHERE jsid > 3 ORDER BY jsid"), added);
}

// Rows and columns after the capacity: optional, both or neither, seating
// the capacity; a row without them leaves a room's own as they were.
void TestRoomImport::rowsAndColumnsOfSeats()
{
    f->db.exec("UPDATE t_js SET ps=4, ls=10 WHERE jsm='Z999'");
    Workbook book;
    Worksheet& sheet = book.firstSheet();
    const QList<QStringList> rows{{"教室", "容纳人数", "排数", "列数"}, {"A101", "40", " 5 ", "8"}, {"B202", "30", "", ""},
                                  {"C303", "30", "5", ""},         {"D404", "30", "4", "6"},    {"E505", "30", "五", "6"},
                                  {"F606", "48", "6", "8"},        {"Z999", "40", "", ""}};
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < rows[r].size(); ++c)
            sheet.setCell(r + 1, c + 1, rows[r][c]);
    const QString path = f->db.folder() + "/layout.xlsx";
    book.saveAs(path);
    importFile(path);
    QCOMPARE(f->dialogs.takeTexts(), QStringList{
        "导入教室完成：新增 2 间，更新 2 间，跳过 3 行。\n"
        "第 4 行：C303：排数“5”、列数“”须同时填写，且为大于 0 的整数\n"
        "第 5 行：D404：排数×列数（24）少于容纳人数（30）\n"
        "第 6 行：E505：排数“五”、列数“6”须同时填写，且为大于 0 的整数"});
    QCOMPARE(f->db.rows("SELECT jsm, rnrs, ps, ls, typeof(ps) FROM t_js ORDER BY jsid"),
             (QStringList{"A101|40|5|8|integer", " e601 |10|0|0|integer", "Z999|40|4|10|integer", "B202|30|0|0|integer",
                          "F606|48|6|8|integer"}));
}

QTEST_MAIN(TestRoomImport)
#include "tst_roomimport.moc"
