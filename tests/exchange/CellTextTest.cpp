// How a cell value becomes the text the import stores.

#include "CellText.h"

#include <gtest/gtest.h>

namespace {

struct NumberCase {
    double value;
    const char* text;
};

class NumberAsDigits : public testing::TestWithParam<NumberCase> {};

TEST_P(NumberAsDigits, ShortestExactDecimal)
{
    EXPECT_EQ(cellText(CellValue::fromNumber(GetParam().value)).toStdString(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, NumberAsDigits,
    testing::Values(NumberCase{2020023918, "2020023918"},  // a student number stored as a number
                    NumberCase{42272005581, "42272005581"}, NumberCase{4227200558, "4227200558"},
                    NumberCase{1, "1"}, NumberCase{0, "0"}, NumberCase{-0.0, "0"}, NumberCase{-17, "-17"},
                    NumberCase{0.1, "0.1"}, NumberCase{1.5, "1.5"}, NumberCase{6190718.68, "6190718.68"},
                    NumberCase{41207.69229021991, "41207.69229021991"}, NumberCase{0.1 + 0.2, "0.30000000000000004"},
                    NumberCase{123456789012345678.0, "123456789012345680"},
                    NumberCase{9007199254740993.0, "9007199254740992"}, NumberCase{1e20, "100000000000000000000"},
                    NumberCase{0.000001, "0.000001"}, NumberCase{1e21, "1e+21"}, NumberCase{1.5e-7, "1.5e-07"}));

struct DateCase {
    double serial;
    const char* text;
};

class DateAsText : public testing::TestWithParam<DateCase> {};

TEST_P(DateAsText, IsoDateAndTimeOfDay)
{
    EXPECT_EQ(cellText(CellValue::fromDateSerial(GetParam().serial)).toStdString(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Dates, DateAsText,
    testing::Values(DateCase{42663, "2016-10-20"}, DateCase{44197.42372685185, "2021-01-01 10:10:10"},
                    DateCase{0.5, "12:00:00"},       // a time of day alone
                    DateCase{1, "1900-01-01"}, DateCase{59, "1900-02-28"},
                    DateCase{61, "1900-03-01"},      // after the 1900 system's phantom 29 February
                    DateCase{43830.99999999, "2020-01-01"},  // rounds to the next midnight
                    DateCase{2958465, "9999-12-31"},
                    DateCase{-1, "-1"}, DateCase{3e6, "3000000"}));  // no date: plain digits

TEST(CellText, OtherKinds)
{
    EXPECT_EQ(cellText(CellValue{}), QString());
    EXPECT_EQ(cellText(CellValue::fromText(QStringLiteral(" 0023707 "))), QStringLiteral(" 0023707 "));
    EXPECT_EQ(cellText(CellValue::fromBoolean(true)), QStringLiteral("TRUE"));
    EXPECT_EQ(cellText(CellValue::fromBoolean(false)), QStringLiteral("FALSE"));
    EXPECT_EQ(cellText(CellValue::fromError(QStringLiteral("#N/A"))), QStringLiteral("#N/A"));
}

struct TrimCase {
    const char16_t* raw;
    const char16_t* trimmed;
};

class Trim : public testing::TestWithParam<TrimCase> {};

TEST_P(Trim, RemovesBlanksAndControlsAtBothEnds)
{
    EXPECT_EQ(trimBlanks(QString::fromUtf16(GetParam().raw)), QString::fromUtf16(GetParam().trimmed));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Trim,
    testing::Values(TrimCase{u"  张三  ", u"张三"}, TrimCase{u"\u3000课程\u3000", u"课程"},
                    TrimCase{u"\t\r\n2020023918\x01", u"2020023918"}, TrimCase{u"\u00a0x\ufeff", u"x"},
                    TrimCase{u"课 \u3000程", u"课 \u3000程"},  // blanks inside stay
                    TrimCase{u" \u3000 ", u""}, TrimCase{u"", u""}));

}  // namespace
