// A saved workbook keeps its name through a power cut: the folder that took
// the name is synced after the rename into place.

#include "SyncRecord.h"
#include "Workbook.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(SavedName, FolderIsSyncedAfterTheRename)
{
    QTemporaryDir dir;
    const QString path = QFileInfo(dir.filePath(QStringLiteral("导出.xlsx"))).absoluteFilePath();
    Workbook book;
    book.firstSheet().setCell(1, 1, CellValue::fromText(QStringLiteral("试卷序号")));
    const SyncRecord record;
    book.saveAs(path);
    EXPECT_TRUE(record.events().contains(QStringLiteral("rename ") + path)) << record.events().join(u'\n').toStdString();
    EXPECT_EQ(record.unsyncedRenames(), QStringList());
}
