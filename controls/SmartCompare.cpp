// Reading column texts as dates, times and numbers, and comparing them.
#include <windows.h>

#include "SmartCompare.h"

#include <cmath>
#include <cstdlib>

namespace {

template <typename T>
int Sign(T difference)
{
    return difference < 0 ? -1 : difference > 0 ? 1 : 0;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// [sign] digits [. digits] [e [sign] digits], the whole text, at least one mantissa digit.
bool StrictNumber(const std::string& s, long double& value)
{
    size_t i = 0, n = s.size(), digits = 0;
    if (i < n && (s[i] == '+' || s[i] == '-'))
        ++i;
    for (; i < n && IsDigit(s[i]); ++i)
        ++digits;
    if (i < n && s[i] == '.')
        for (++i; i < n && IsDigit(s[i]); ++i)
            ++digits;
    if (digits == 0)
        return false;
    if (i < n && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < n && (s[i] == '+' || s[i] == '-'))
            ++i;
        size_t exponent = 0;
        for (; i < n && IsDigit(s[i]); ++i)
            ++exponent;
        if (exponent == 0)
            return false;
    }
    if (i != n)
        return false;
    long double read = std::strtold(s.c_str(), nullptr);
    if (!std::isfinite(read))
        return false;
    value = read;
    return true;
}

enum class DateOrder { DayMonthYear, MonthDayYear, YearMonthDay };

DateOrder OrderOf(const std::string& format)
{
    for (char c : format) {
        switch (Lower(c)) {
        case 'd': return DateOrder::DayMonthYear;
        case 'm': return DateOrder::MonthDayYear;
        case 'y': return DateOrder::YearMonthDay;
        default: break;
        }
    }
    return DateOrder::MonthDayYear;
}

// Days from 1 January of year 0 by the proleptic Gregorian calendar.
long DaysFromCivil(int year, int month, int day)
{
    year -= month <= 2;
    long era = (year >= 0 ? year : year - 399) / 400;
    long yearOfEra = year - era * 400;
    long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra;
}

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

bool EncodeDate(int year, int month, int day, double& date)
{
    static const int lengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1)
        return false;
    int length = lengths[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
    if (day > length)
        return false;
    date = static_cast<double>(DaysFromCivil(year, month, day) - DaysFromCivil(1899, 12, 30));
    return true;
}

int CurrentYear()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    return now.wYear;
}

// A two-digit year lies within the 50 years before the current one or after it.
int ExpandYear(int year)
{
    int current = CurrentYear();
    year += current - current % 100;
    if (year < current - 50)
        year += 100;
    return year;
}

class Scanner {
public:
    explicit Scanner(const std::string& text) : s_(text) {}

    void Blanks()
    {
        while (pos_ < s_.size() && s_[pos_] == ' ')
            ++pos_;
    }
    // At most four digits, as dates and times have them.
    bool Number(int& value, int& digits)
    {
        Blanks();
        value = 0;
        digits = 0;
        while (pos_ < s_.size() && IsDigit(s_[pos_]) && digits < 4) {
            value = value * 10 + (s_[pos_] - '0');
            ++digits;
            ++pos_;
        }
        return digits > 0;
    }
    bool Char(char c)
    {
        Blanks();
        if (pos_ < s_.size() && s_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }
    bool Word(const std::string& word)
    {
        Blanks();
        if (word.empty() || s_.size() - pos_ < word.size())
            return false;
        for (size_t i = 0; i < word.size(); ++i)
            if (Lower(s_[pos_ + i]) != Lower(word[i]))
                return false;
        pos_ += word.size();
        return true;
    }
    bool AtEnd()
    {
        Blanks();
        return pos_ == s_.size();
    }

private:
    const std::string& s_;
    size_t pos_ = 0;
};

bool ScanDate(Scanner& scan, const TSortLocale& locale, double& date)
{
    int n1, n2, n3 = 0, d1, d2, d3 = 0;
    if (!scan.Number(n1, d1) || !scan.Char(locale.dateSeparator) || !scan.Number(n2, d2))
        return false;
    bool withYear = scan.Char(locale.dateSeparator);
    if (withYear && !scan.Number(n3, d3))
        return false;
    DateOrder order = OrderOf(locale.shortDateFormat);
    int year, month, day;
    if (!withYear) {
        year = CurrentYear();
        if (order == DateOrder::DayMonthYear)
            day = n1, month = n2;
        else
            month = n1, day = n2;
    } else {
        int yearDigits;
        switch (order) {
        case DateOrder::DayMonthYear: day = n1, month = n2, year = n3, yearDigits = d3; break;
        case DateOrder::MonthDayYear: month = n1, day = n2, year = n3, yearDigits = d3; break;
        default: year = n1, month = n2, day = n3, yearDigits = d1; break;
        }
        if (yearDigits <= 2)
            year = ExpandYear(year);
    }
    return EncodeDate(year, month, day, date);
}

bool ScanTime(Scanner& scan, const TSortLocale& locale, double& time)
{
    int hour, minute = 0, second = 0, millisecond = 0, digits;
    if (!scan.Number(hour, digits))
        return false;
    if (scan.Char(locale.timeSeparator)) {
        if (!scan.Number(minute, digits))
            return false;
        if (scan.Char(locale.timeSeparator)) {
            if (!scan.Number(second, digits))
                return false;
            if (scan.Char(locale.decimalSeparator) && !scan.Number(millisecond, digits))
                return false;
        }
    }
    int half = -1;
    if (scan.Word(locale.timeAMString) || scan.Word("AM"))
        half = 0;
    else if (scan.Word(locale.timePMString) || scan.Word("PM"))
        half = 1;
    if (half >= 0) {
        if (hour == 0 || hour > 12)
            return false;
        if (half == 0 && hour == 12)
            hour = 0;
        else if (half == 1 && hour < 12)
            hour += 12;
    }
    if (hour > 23 || minute > 59 || second > 59 || millisecond > 999)
        return false;
    time = (hour * 3600000.0 + minute * 60000.0 + second * 1000.0 + millisecond) / 86400000.0;
    return true;
}

std::string LocaleText(LCTYPE type, const char* fallback)
{
    char buffer[96];
    int length = GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buffer, sizeof buffer);
    return length > 1 ? std::string(buffer) : std::string(fallback);
}

char LocaleChar(LCTYPE type, char fallback)
{
    char buffer[8];
    int length = GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buffer, sizeof buffer);
    return length > 1 ? buffer[0] : fallback;
}

}  // namespace

TSortLocale TSortLocale::User()
{
    TSortLocale locale;
    locale.dateSeparator = LocaleChar(LOCALE_SDATE, '/');
    locale.timeSeparator = LocaleChar(LOCALE_STIME, ':');
    locale.decimalSeparator = LocaleChar(LOCALE_SDECIMAL, '.');
    locale.thousandSeparator = LocaleChar(LOCALE_STHOUSAND, '\0');
    locale.shortDateFormat = LocaleText(LOCALE_SSHORTDATE, "M/d/yyyy");
    locale.timeAMString = LocaleText(LOCALE_S1159, "AM");
    locale.timePMString = LocaleText(LOCALE_S2359, "PM");
    return locale;
}

bool TextToNumber(const std::string& text, const TSortLocale& locale, long double& value)
{
    std::string s = text.substr(0, text.find(' '));
    if (StrictNumber(s, value))
        return true;
    std::string local;
    for (char c : s) {
        if (locale.thousandSeparator && c == locale.thousandSeparator)
            continue;
        local += c == locale.decimalSeparator ? '.' : c;
    }
    return StrictNumber(local, value);
}

bool TextToDateTime(const std::string& text, const TSortLocale& locale, double& value)
{
    value = 0;
    // "5." ends in its only separator and is tried as a date (and fails).
    size_t first = text.find(locale.dateSeparator);
    bool hasDate = first != std::string::npos &&
                   (first + 1 == text.size() || text.find(locale.dateSeparator, first + 1) != std::string::npos);
    bool hasTime = text.find(locale.timeSeparator) != std::string::npos;
    if (!hasDate && !hasTime)
        return false;
    Scanner scan(text);
    double date = 0, time = 0;
    if (hasDate && !ScanDate(scan, locale, date))
        return false;
    if (hasTime && !ScanTime(scan, locale, time))
        return false;
    if (!scan.AtEnd())
        return false;
    // Before the epoch the day counts down while the time of day still counts up.
    value = date < 0 ? date - time : date + time;
    return true;
}

int CompareLocaleText(const std::string& a, const std::string& b)
{
    int result = CompareStringA(LOCALE_USER_DEFAULT, 0, a.data(), static_cast<int>(a.size()), b.data(),
                                static_cast<int>(b.size()));
    if (result == 0)
        return Sign(a.compare(b));
    return result - CSTR_EQUAL;
}

int SmartCompare(const std::string& a, const std::string& b, const TSortLocale& locale)
{
    double dateA, dateB;
    if (TextToDateTime(a, locale, dateA) && TextToDateTime(b, locale, dateB))
        return Sign(dateA - dateB);
    long double numberA, numberB;
    if (TextToNumber(a, locale, numberA) && TextToNumber(b, locale, numberB))
        return Sign(numberA - numberB);
    return CompareLocaleText(a, b);
}

int CompareAs(TSortAs kind, const std::string& a, const std::string& b, const TSortLocale& locale)
{
    switch (kind) {
    case saString:
        return CompareLocaleText(a, b);
    case saNumeric: {
        long double numberA = 0, numberB = 0;
        if (!TextToNumber(a, locale, numberA))
            numberA = 0;
        if (!TextToNumber(b, locale, numberB))
            numberB = 0;
        return Sign(numberA - numberB);
    }
    case saDateTime: {
        double dateA, dateB;
        TextToDateTime(a, locale, dateA);
        TextToDateTime(b, locale, dateB);
        return Sign(dateA - dateB);
    }
    default:
        return 0;
    }
}
