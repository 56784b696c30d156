// Reading column texts as numbers, dates and times in a locale's formats, and the order the
// list sorts them in.
#include <windows.h>

#include "SmartCompare.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// Point for dates, colon for times, comma for decimals, point for thousands.
TSortLocale German()
{
    TSortLocale locale;
    locale.dateSeparator = '.';
    locale.timeSeparator = ':';
    locale.decimalSeparator = ',';
    locale.thousandSeparator = '.';
    locale.shortDateFormat = "dd.MM.yyyy";
    locale.timeAMString = "";
    locale.timePMString = "";
    return locale;
}

TSortLocale American()
{
    return TSortLocale();   // M/d/yyyy, ':' and AM/PM, '.' decimals, ',' thousands
}

constexpr double May1st2001 = 37012.0;   // days since 30 December 1899
constexpr double HalfPastTwelve = 12.5 / 24.0;

}  // namespace

TEST(SmartCompare, NumbersAreReadStrictlyThenWithTheLocaleSeparators)
{
    const struct {
        const char* text;
        bool number;
        long double value;
    } cases[] = {
        {"10", true, 10},        {"10 kB", true, 10},      {"-3.5", true, -3.5},      {"+7", true, 7},
        {"1e3", true, 1000},     {"3,5", true, 3.5},       {"1.234.567", true, 1234567}, {"1.234,5", true, 1234.5},
        {"5.", true, 5},         {".5", true, 0.5},        {"1,5e2", true, 150},      {"abc", false, 0},
        {"", false, 0},          {" 10", false, 0},        {"12:30", false, 0},       {"1e", false, 0},
        {"10kB", false, 0},      {"-", false, 0},          {"1e99999", false, 0},
    };
    for (const auto& c : cases) {
        long double value = -1;
        bool number = TextToNumber(c.text, German(), value);
        EXPECT_EQ(number, c.number) << "\"" << c.text << "\" read as " << static_cast<double>(value);
        if (c.number && number) {
            EXPECT_NEAR(static_cast<double>(value), static_cast<double>(c.value), 1e-9) << "\"" << c.text << "\"";
        }
    }
}

TEST(SmartCompare, DatesAndTimesFollowTheLocaleFormats)
{
    const struct {
        const char* text;
        TSortLocale locale;
        bool valid;
        double value;
    } cases[] = {
        {"1.5.2001", German(), true, May1st2001},
        {"01.05.2001", German(), true, May1st2001},
        {"1.5.01", German(), true, May1st2001},
        {"1.5.2001 12:30", German(), true, May1st2001 + HalfPastTwelve},
        {"12:30", German(), true, HalfPastTwelve},
        {"12:30:36", German(), true, HalfPastTwelve + 36.0 / 86400},
        {"30.12.1899", German(), true, 0},
        {"29.2.2000", German(), true, 36585},
        {"29.2.2001", German(), false, 0},
        {"31.4.2001", German(), false, 0},
        {"1.13.2001", German(), false, 0},
        {"24:00", German(), false, 0},
        {"12:60", German(), false, 0},
        {"5.", German(), false, 0},   // its only separator is the last character: tried, fails
        {"1.5", German(), false, 0},  // one separator inside: not a date at all
        {"1.5.2001 x", German(), false, 0},
        {"abc", German(), false, 0},
        {"5/1/2001", American(), true, May1st2001},
        {"5/1/2001 12:30 PM", American(), true, May1st2001 + HalfPastTwelve},
        {"1:30 PM", American(), true, 13.5 / 24},
        {"12:00 AM", American(), true, 0},
        {"13:00 PM", American(), false, 0},
        {"1.5.2001", American(), false, 0},
    };
    for (const auto& c : cases) {
        double value = -1;
        bool valid = TextToDateTime(c.text, c.locale, value);
        EXPECT_EQ(valid, c.valid) << "\"" << c.text << "\" read as " << value;
        EXPECT_NEAR(value, c.value, 1e-9) << "\"" << c.text << "\"";
    }
}

TEST(SmartCompare, YearFirstFormatsReadYearMonthDay)
{
    TSortLocale iso;
    iso.dateSeparator = '-';
    iso.shortDateFormat = "yyyy-MM-dd";
    double value = 0;
    EXPECT_TRUE(TextToDateTime("2001-05-01", iso, value));
    EXPECT_EQ(value, May1st2001) << "2001-05-01";
}

TEST(SmartCompare, DatesThenNumbersThenText)
{
    const struct {
        const char* a;
        const char* b;
        int expected;
    } cases[] = {
        {"1.5.2001", "12:30", 1},             // both dates/times: by value
        {"12:30", "1.5.2001", -1},
        {"2.1.2001", "10.1.2001", -1},        // as text it would be the other way round
        {"1.5.2001 12:30", "1.5.2001 08:00", 1},
        {"10", "9", 1},                       // numbers by value
        {"9 kB", "10 kB", -1},
        {"1.234,5", "999", 1},                // thousands and decimal separator
        {"1.234", "999", -1},                 // a point reads as the decimal point first
        {"5.", "10", -1},                     // the failed date is the number 5
        {"abc", "10", 1},                     // one is no number: text, digits first
        {"", "10", -1},
        {"same", "same", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SmartCompare(c.a, c.b, German()), c.expected) << "\"" << c.a << "\" against \"" << c.b << "\"";
}

TEST(SmartCompare, SortHandlersChooseTheKindOfComparison)
{
    const struct {
        TSortAs kind;
        const char* a;
        const char* b;
        int expected;
    } cases[] = {
        {saString, "10", "9", -1},
        {saNumeric, "10", "9", 1},
        {saNumeric, "abc", "5", -1},          // no number counts as 0
        {saNumeric, "abc", "0", 0},
        {saDateTime, "x", "1.1.1900", -1},    // no date counts as 0
        {saDateTime, "2.1.2001", "10.1.2001", -1},
        {saNone, "a", "b", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CompareAs(c.kind, c.a, c.b, German()), c.expected)
            << "kind " << c.kind << ": \"" << c.a << "\" against \"" << c.b << "\"";
}

TEST(SmartCompare, TextOrderIsCaseSensitive)
{
    EXPECT_NE(CompareLocaleText("abc", "ABC"), 0);
    EXPECT_EQ(CompareLocaleText("abc", "abc"), 0);
    EXPECT_EQ(CompareLocaleText("abc", "abd"), -1);
    EXPECT_EQ(CompareLocaleText("b", "a"), 1);
}
