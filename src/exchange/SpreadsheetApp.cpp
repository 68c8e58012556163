#include "SpreadsheetApp.h"

#include "Dialogs.h"

#include <QFileInfo>
#include <QScopeGuard>

QString xlsxFileName(QString chosen)
{
    const QString suffix = QFileInfo(chosen).suffix();
    if (suffix.compare(u"xls", Qt::CaseInsensitive) == 0)
        chosen.chop(suffix.size() + 1);
    if (QFileInfo(chosen).suffix().compare(u"xlsx", Qt::CaseInsensitive) != 0)
        chosen += QStringLiteral(".xlsx");
    return chosen;
}

std::unique_ptr<SpreadsheetApp> SpreadsheetApp::create(Dialogs& dialogs)
{
    return std::make_unique<SpreadsheetApp>(dialogs);
}

void SpreadsheetApp::open(const QString& path, const ReadBounds& bounds)
{
    streamed.reset();
    book = Workbook::open(path, bounds);
    saved = true;
}

void SpreadsheetApp::add()
{
    streamed.reset();
    book.emplace();
    saved = false;
}

StreamedWorkbook& SpreadsheetApp::addStreamed()
{
    book.reset();
    streamed = std::make_unique<StreamedWorkbook>();
    saved = false;
    return *streamed;
}

Worksheet& SpreadsheetApp::firstSheet()
{
    if (!book)
        throw WorkbookError(QStringLiteral("没有打开的工作簿。"));
    return book->firstSheet();
}

void SpreadsheetApp::Quit()
{
    const auto dropBooks = qScopeGuard([this] {
        book.reset();
        streamed.reset();
    });
    if (visible && (book || streamed) && !saved)
        offerToSave();
}

// The save dialog stands for the spreadsheet program's "save changes?"
// question. Cancelling it must not throw the workbook away unasked, and a
// place that cannot be written to lets the user choose another. A streamed
// workbook that cannot be completed is not offered at all.
void SpreadsheetApp::offerToSave()
{
    if (streamed)
        streamed->complete();
    for (;;) {
        QString path = dialogs.saveFileName(QStringLiteral("保存工作簿"), QStringLiteral("Excel 工作簿(*.xlsx)"),
                                                  QStringLiteral("工作簿1.xlsx"));
        if (path.isEmpty()) {
            if (dialogs.confirm(QStringLiteral("工作簿尚未保存，确定不保存就关闭吗？")))
                return;
            continue;
        }
        path = xlsxFileName(path);
        try {
            if (book)
                book->saveAs(path);
            else
                streamed->saveAs(path);
        } catch (const WorkbookError& e) {
            dialogs.information(e.message(), QStringLiteral("提示信息"));
            continue;
        }
        saved = true;
        dialogs.openDocument(path);
        return;
    }
}
