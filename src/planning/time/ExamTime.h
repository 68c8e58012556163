#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

// The one reading of an exam time (`t_cc.kssj`): every part of the program
// that needs to know when a period is sat reads its text here, so that one
// time is one time everywhere, whatever the spelling. The stored text stays
// as the clerk typed it; only what it means is read.

// The clock interval of one sitting, in minutes since midnight, start
// before end.
struct Sitting {
    int start = 0;
    int end = 0;

    // "08:00-10:00".
    QString text() const;
    // Equal or partly shared clock time.
    bool overlaps(const Sitting& other) const { return start < other.end && other.start < end; }
    bool operator==(const Sitting&) const = default;
    // By start, then by end.
    auto operator<=>(const Sitting&) const = default;
};

// A date and a sitting on it.
struct ExamTime {
    QDate date;
    Sitting sitting;

    // "2027-01-11 星期一 08:00-10:00", the form the program writes.
    QString text() const;
    // "2027-01-11 星期一".
    QString dateText() const;
    // On one date, with clock intervals that overlap.
    bool overlaps(const ExamTime& other) const { return date == other.date && sitting.overlaps(other.sitting); }
    bool operator==(const ExamTime& other) const { return date == other.date && sitting == other.sitting; }
    // In time order: by date, then sitting.
    bool operator<(const ExamTime& other) const
    {
        return date != other.date ? date < other.date : sitting < other.sitting;
    }
};

// What a text means, or why it cannot be read: `fault` then says so to the
// clerk, naming the text, in the same words wherever it is read.
struct SittingReading {
    std::optional<Sitting> sitting;
    QString fault;
};
struct ExamTimeReading {
    std::optional<ExamTime> time;
    QString fault;
};

// A sitting written "08:00-10:00", read leniently: one- or two-digit hours,
// blanks of any kind around the parts, full-width digits, colon and dash,
// "~", "～", "—" or "至" between start and end.
SittingReading readSitting(const QString& text);

// An exam time: a date (2027-01-11, 2027/1/11, 2027.1.11 or 2027年1月11日),
// a weekday word (星期一, 周一, 礼拜一; may be left out, must fit the date
// when given) and a sitting, read as leniently as readSitting reads one. The
// date lies within the days a term can use.
ExamTimeReading readExamTime(const QString& text);

// The days a term can use: the first offered date and every date read lie
// within them, so that a date never runs past the four digits of a year.
QDate earliestExamDate();
QDate latestExamDate();

// A date written 2027-01-11, 2027/1/11, 2027.1.11 or 2027年1月11日 (blanks
// and full-width digits allowed); an invalid date for any other text.
QDate readExamDate(const QString& text);

// Whether two periods with these times are sat at once: readable times when
// they overlap, other non-empty texts when they are one text apart from
// blanks, width and case. An empty time meets nothing.
bool examTimesMeet(const QString& a, const QString& b);

// The day a time text falls on, as a key for "the same day": the date of a
// readable time; else the date its first word reads as; else that first word
// itself, so that unreadable texts starting alike share a day. Empty for an
// empty text.
QString examDayKey(const QString& text);

// Which of these times are sat together: those that meet, followed through
// chains of meeting times. Per time, the index of the first time of its
// group; an empty time is a group of its own.
std::vector<int> timesSatTogether(const QStringList& times);
