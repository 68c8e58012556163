#pragma once

#include "DataSet.h"

// A room's list shaped like the print table t_print1, with student numbers
// "2023000001", "2023000002", ... and some long course names and remarks.
DataSet examRoomRows(int count);

// The student number of row i (0-based) of examRoomRows.
QString studentNumber(int row);
