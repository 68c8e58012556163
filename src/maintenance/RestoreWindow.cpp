#include "RestoreWindow.h"

#include "Backup.h"
#include "DataModule.h"
#include "EmptyListText.h"
#include "Guard.h"

#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QString timeText(const QDateTime& time)
{
    return time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

} // namespace

RestoreWindow::RestoreWindow(DataModule& dm, Dialogs& dialogs, QWidget* parent)
    : Form(dialogs, QStringLiteral("RestoreWindow"), QStringLiteral("恢复数据"), parent), dm(dm)
{
    copyList = named(new QTableWidget(0, 3, this), "copyList");
    copyList->setHorizontalHeaderLabels({QStringLiteral("备份时间"), QStringLiteral("名单人数"), QStringLiteral("文件")});
    copyList->setSelectionBehavior(QAbstractItemView::SelectRows);
    copyList->setSelectionMode(QAbstractItemView::SingleSelection);
    copyList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    copyList->verticalHeader()->hide();
    copyList->horizontalHeader()->setStretchLastSection(true);
    setEmptyListText(copyList, QStringLiteral("还没有备份：数据初始化之前会自动备份"));
    restoreButton = named(new QPushButton(QStringLiteral("恢复"), this), "restoreButton");
    closeButton = named(new QPushButton(QStringLiteral("退出"), this), "closeButton");
    setExitButton(closeButton);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(restoreButton);
    buttons->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(copyList, 1);
    layout->addLayout(buttons);
    resize(560, 360);

    connect(restoreButton, &QPushButton::clicked, this, guarded(dialogs, [this] { restoreClick(); }));
    connect(closeButton, &QPushButton::clicked, this, [this] { close(); });
}

void RestoreWindow::FormShow()
{
    fillList();
}

void RestoreWindow::fillList()
{
    const QList<BackupCopy> copies = listBackups(dm.ADOConnection1);
    copyList->setRowCount(int(copies.size()));
    for (int row = 0; row < copies.size(); ++row) {
        const BackupCopy& copy = copies[row];
        auto* time = new QTableWidgetItem(timeText(copy.time));
        time->setData(Qt::UserRole, copy.path);
        copyList->setItem(row, 0, time);
        const QString rows = !copy.damage.isEmpty() ? QStringLiteral("已损坏")
                             : copy.rosterRows < 0  ? QStringLiteral("无法读取")
                                                    : QString::number(copy.rosterRows);
        copyList->setItem(row, 1, new QTableWidgetItem(rows));
        copyList->setItem(row, 2, new QTableWidgetItem(QDir::toNativeSeparators(copy.path)));
    }
    copyList->resizeColumnsToContents();
}

void RestoreWindow::restoreClick()
{
    const int row = copyList->currentRow();
    if (row < 0 || !copyList->item(row, 0)) {
        dialogs.message(QStringLiteral("请先选择要恢复的备份。"));
        return;
    }
    const QString when = copyList->item(row, 0)->text();
    if (!dialogs.confirm(QStringLiteral("用 %1 的备份替换现在的全部数据吗？现在的数据会先另存一份备份。").arg(when)))
        return;
    RestoreResult result;
    try {
        result = restoreDatabase(dm.ADOConnection1, copyList->item(row, 0)->data(Qt::UserRole).toString());
    } catch (const BackupError& e) {
        fillList();
        dialogs.message(e.message());
        return;
    }
    fillList();
    const QString saved = QDir::toNativeSeparators(QDir::current().relativeFilePath(result.saved));
    if (result.keptDamaged)
        dialogs.message(QStringLiteral("已恢复 %1 的备份。\n损坏的数据文件已原样保存为：%2").arg(when, saved));
    else if (result.saved.isEmpty())
        dialogs.message(QStringLiteral("已恢复 %1 的备份。").arg(when));
    else
        dialogs.message(QStringLiteral("已恢复 %1 的备份。\n恢复前的数据已备份到：%2").arg(when, saved));
}
