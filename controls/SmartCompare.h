// The comparisons behind sorting a list by a column: dates and times, then numbers, then text,
// each read the way the user's locale writes them.
#pragma once

#include <string>

// How an OnSortItems handler asks the list to compare two texts (saNone: its own result).
enum TSortAs { saNone, saString, saNumeric, saDateTime };

// The separators and formats of a locale that column texts are read by.
struct TSortLocale {
    char dateSeparator = '/';
    char timeSeparator = ':';
    char decimalSeparator = '.';
    char thousandSeparator = ',';
    // Only the order of day, month and year matters here.
    std::string shortDateFormat = "M/d/yyyy";
    std::string timeAMString = "AM";
    std::string timePMString = "PM";

    // The settings of the user's locale.
    static TSortLocale User();
};

// A number as a column shows it ("10 kB" is 10): the text up to its first blank, read strictly
// (sign, digits, a point, an exponent), or else once more without the locale's thousands
// separators and with its decimal separator taken as the point.
bool TextToNumber(const std::string& text, const TSortLocale& locale, long double& value);

// A date, a time or both in the locale's short formats, as days since 30 December 1899 with
// the time of day as the fraction. A text is taken for a date when it holds the date separator
// twice (or once, as its last character), for a time when it holds the time separator. False
// (value 0) when it is neither or does not convert.
bool TextToDateTime(const std::string& text, const TSortLocale& locale, double& value);

// The locale-aware, case-sensitive order of two texts: -1, 0 or 1.
int CompareLocaleText(const std::string& a, const std::string& b);
// Dates/times by value when both texts are, else numbers by value when both are, else text.
int SmartCompare(const std::string& a, const std::string& b, const TSortLocale& locale);
// By the kind a sort handler chose; a text that is not of that kind counts as 0. saNone: 0.
int CompareAs(TSortAs kind, const std::string& a, const std::string& b, const TSortLocale& locale);
