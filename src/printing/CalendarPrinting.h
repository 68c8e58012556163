#pragma once

#include "overview/TermCalendar.h"
#include "ReportLayout.h"
#include "RoomPrinting.h"

// The exam calendar on paper: A4 landscape, one page for each week that has
// exam days (days across, sittings down, the days' figures underneath, a
// bar in each cell showing how full its rooms are), then the periods
// without a date as a list. Text is measured as the report engine measures it.
LaidOutReport layOutCalendar(const TermCalendar& calendar);

// Prints the calendar through the report engine, as the lists print.
void printCalendar(const PrintSetup& setup, const TermCalendar& calendar);

// A period's figures in one line: "第3场 45人 2间教室 坐满 90%".
QString periodFigures(const CalendarPeriod& period);
