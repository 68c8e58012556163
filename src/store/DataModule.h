#pragma once

#include "Connection.h"
#include "QuerySlot.h"

// What a grid is bound to: the data source of the same number as its slot.
struct DataSource {
    QuerySlot& DataSet;
};

// The connection and the shared query slots that every window works through.
// The roster window owns the one instance; other windows get it by reference.
class DataModule {
public:
    DataModule() = default;
    DataModule(const DataModule&) = delete;
    DataModule& operator=(const DataModule&) = delete;

    // Closes and reconfigures the connection for the current directory, as
    // the main window does each time it becomes active.
    void reconfigure();

    Connection ADOConnection1;

    QuerySlot ADOQuery1{ADOConnection1, "ADOQuery1"};
    QuerySlot ADOQuery2{ADOConnection1, "ADOQuery2"};
    QuerySlot ADOQuery3{ADOConnection1, "ADOQuery3"};
    QuerySlot ADOQuery4{ADOConnection1, "ADOQuery4"};
    QuerySlot ADOQuery5{ADOConnection1, "ADOQuery5"};
    QuerySlot ADOQuery6{ADOConnection1, "ADOQuery6"};
    QuerySlot ADOQuery7{ADOConnection1, "ADOQuery7"};
    QuerySlot ADOQuery8{ADOConnection1, "ADOQuery8"};
    QuerySlot ADOQuery9{ADOConnection1, "ADOQuery9"};
    QuerySlot ADOQuery10{ADOConnection1, "ADOQuery10"};
    QuerySlot ADOQuery11{ADOConnection1, "ADOQuery11"};
    QuerySlot ADOQuery12{ADOConnection1, "ADOQuery12"};
    QuerySlot ADOQuery13{ADOConnection1, "ADOQuery13"};
    QuerySlot ADOQuery14{ADOConnection1, "ADOQuery14"};
    QuerySlot ADOQuery15{ADOConnection1, "ADOQuery15", QuerySlot::Mode::Batch};
    QuerySlot ADOQuery16{ADOConnection1, "ADOQuery16"};
    QuerySlot ADOQuery17{ADOConnection1, "ADOQuery17"};
    QuerySlot ADOQuery18{ADOConnection1, "ADOQuery18"};
    QuerySlot ADOQuery19{ADOConnection1, "ADOQuery19"};
    QuerySlot ADOQuery20{ADOConnection1, "ADOQuery20"};
    QuerySlot ADOQuery21{ADOConnection1, "ADOQuery21"};
    QuerySlot ADOQuery22{ADOConnection1, "ADOQuery22"};
    QuerySlot ADOQuery23{ADOConnection1, "ADOQuery23"};
    QuerySlot ADOQuery24{ADOConnection1, "ADOQuery24"};
    QuerySlot ADOQuery25{ADOConnection1, "ADOQuery25"};
    QuerySlot ADOQuery26{ADOConnection1, "ADOQuery26"};
    QuerySlot ADOQuery27{ADOConnection1, "ADOQuery27"};
    QuerySlot ADOQuery28{ADOConnection1, "ADOQuery28"};
    QuerySlot ADOQuery29{ADOConnection1, "ADOQuery29"};
    QuerySlot ADOQuery30{ADOConnection1, "ADOQuery30"};
    QuerySlot ADOQuery31{ADOConnection1, "ADOQuery31"};
    QuerySlot ADOQuery32{ADOConnection1, "ADOQuery32"};
    QuerySlot ADOQuery33{ADOConnection1, "ADOQuery33"};
    QuerySlot ADOQuery34{ADOConnection1, "ADOQuery34"};
    QuerySlot ADOQuery35{ADOConnection1, "ADOQuery35"};
    QuerySlot ADOQuery36{ADOConnection1, "ADOQuery36"};
    QuerySlot ADOQuery37{ADOConnection1, "ADOQuery37"};

    DataSource DataSource1{ADOQuery1};
    DataSource DataSource3{ADOQuery3};
    DataSource DataSource4{ADOQuery4};
    DataSource DataSource9{ADOQuery9};
    DataSource DataSource11{ADOQuery11};
    DataSource DataSource15{ADOQuery15};
    DataSource DataSource18{ADOQuery18};
    DataSource DataSource21{ADOQuery21};
    DataSource DataSource25{ADOQuery25};
    DataSource DataSource26{ADOQuery26};
    DataSource DataSource30{ADOQuery30};
    DataSource DataSource33{ADOQuery33};
};
