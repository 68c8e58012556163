#include "DataModule.h"

#include <QDir>

void DataModule::reconfigure()
{
    ADOConnection1.Close();
    ADOQuery1.Close();
    ADOConnection1.setConnectionString(Connection::connectionStringFor(QDir::currentPath()));
    ADOQuery1.SQL.Clear();
}
