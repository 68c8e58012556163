#include "DataModule.h"

#include <QDir>

void DataModule::reconfigure()
{
    ADOConnection1.Close();
    ADOQuery1.Close();
    ADOConnection1.setConnectionString(Connection::connectionStringFor(QDir::currentPath()));
    ADOConnection1.setLoginPrompt(false);
    ADOQuery1.SQL.Clear();
}
