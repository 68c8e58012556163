#pragma once

#include "ReportLayout.h"
#include "RoomPrinting.h"
#include "rooms/SeatSheets.h"

#include <QList>
#include <QString>

// The papers of an exam morning on A4, laid out as the report engine lays
// out its lists (text measured the same way, rare characters through the
// fallback font), all chosen documents of a time in one job.

enum class SeatDocument {
    SeatingChart, // 考场座位表: the room from the front, a box per seat
    SignInSheet,  // 考生签到表: a row per seat, to sign, with the counts at the foot
    DoorNotice,   // 考场门贴: the room, its time and papers in large type
    PaperLabels,  // 试卷袋标签: one label per paper per room
    ExamNotices,  // 考试通知单: one per student, several to a page with cut lines
};

// The document's name as the clerk sees it.
QString seatDocumentName(SeatDocument document);

// What goes into a job: the rooms (for every document but the notices), the
// students (for the notices) and the spare papers each bag gets.
struct SeatDocumentJob {
    QList<SeatDocument> documents;
    QList<SeatedRoomSheet> rooms;
    QList<StudentNotice> students;
    int spares = 2;
};

// Every page of the chosen documents, in the order given, numbered over the job.
LaidOutReport layOutSeatDocuments(const SeatDocumentJob& job);

// Prints the job through the report engine, as the lists print.
void printSeatDocuments(const PrintSetup& setup, const SeatDocumentJob& job);

// Writes "考场座位安排": a row per seated candidate (time, room, seat, 学号,
// 姓名, course, paper number), the seat a number and the rest text. Throws
// WorkbookError when the file cannot be written.
void exportSeatArrangement(const QList<SeatedRoomSheet>& rooms, const QString& path);
