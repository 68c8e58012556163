#include "TermGoesOn.h"

#include "CellText.h"
#include "DataModule.h"
#include "PdfText.h"
#include "RecordingDialogs.h"
#include "TestDatabase.h"
#include "Unit4.h"
#include "Unit8.h"
#include "Unit9.h"
#include "UserActions.h"
#include "Workbook.h"

#include <QComboBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

void giveRoomsByHand(TestDatabase& db, DataModule& dm, RecordingDialogs& dialogs)
{
    TForm4 roomWindow(dm, dialogs);
    roomWindow.show();
    const QStringList periods = db.rows("select cc from t_cc order by cast(cc as integer)");
    QCOMPARE(entries(roomWindow.ComboBox1), periods);
    for (const QString& period : periods) {
        if (!roomWindow.ComboBox1->isEnabled())
            roomWindow.Button3->click();
        pick(roomWindow.ComboBox1, period);
        for (const QString& paper : db.rows("select sjxh from t_kscs where jsid=0 and cc='" + period + "'")) {
            clickRowShowing(roomWindow.DBGrid1, 0, paper);
            pick(roomWindow.ComboBox2, paper.startsWith('C') ? "C303" : "A101");
            roomWindow.Button1->click();
        }
    }
    roomWindow.Button2->click();
    dialogs.takeTexts();
    QCOMPARE(db.scalar("select count(*) from t_kscs where jsid=0"), QString("0"));
}

void printAndExportOnTheNewPeriods(TestDatabase& db, DataModule& dm, RecordingDialogs& dialogs)
{
    QCOMPARE(db.scalar("select count(*) from hbkap where coalesce(kssj,'')='' or coalesce(jsm,'')=''"), QString("0"));

    const QString a1Time = db.scalar("select kssj from hbkap where sjxh='A1' limit 1");
    const QString a1Room = db.scalar("select jsm from hbkap where sjxh='A1' limit 1");
    TForm9 printing(dm, dialogs);
    printing.show();
    printing.ComboBox1->setCurrentIndex(printing.ComboBox1->findText(a1Time));
    printing.ComboBox2->setCurrentIndex(printing.ComboBox2->findText(a1Room));
    QTemporaryDir out;
    printing.presetOutput = toPdf(out.filePath("a1.pdf"));
    printing.Button1->click();
    QCOMPARE(dialogs.takeTexts(), QStringList());
    const QString printed = compact(pdfPages(printing.presetOutput->pdfPath).join(""));
    QVERIFY(printed.contains(compact(a1Time)));
    const QStringList seated = db.rows("select xh from hbkap where kssj='" + a1Time + "' and jsm='" + a1Room + "'");
    QVERIFY(seated.contains("F0"));
    for (const QString& student : seated)
        QVERIFY2(printed.contains(student), qPrintable(student));

    TForm8 spreadsheet(dialogs);
    spreadsheet.show();
    const QString file = db.folder() + "/排考结果.xlsx";
    dialogs.saveAnswers = {file};
    spreadsheet.Button2->click();
    QCOMPARE(dialogs.takeTexts(), QStringList{"导出成功!"});
    const Workbook book = Workbook::open(file);
    const Worksheet& sheet = book.firstSheet();
    QStringList exported;
    for (int r = 2; r <= sheet.lastRow(); ++r)
        exported.append(cellText(sheet.cell(r, 1)) + "|" + cellText(sheet.cell(r, 11)) + "|" + cellText(sheet.cell(r, 12)));
    exported.sort();
    QStringList expected = db.rows("select xh, kssj, cc from hbkap");
    expected.sort();
    QCOMPARE(exported, expected);
}
