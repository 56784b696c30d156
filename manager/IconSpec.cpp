// Splitting an icon reference into its file and its icon index.
#include <windows.h>

#include "IconSpec.h"

#include <climits>

namespace {

// Where the index begins after its comma, or npos when the reference has no index part.
size_t IndexComma(const std::string& spec)
{
    size_t comma = spec.rfind(',');
    if (comma == std::string::npos)
        return comma;
    // An index never holds these; a path part after the comma does.
    if (spec.find_first_of("\\/.", comma + 1) != std::string::npos)
        return std::string::npos;
    return comma;
}

std::string Unquoted(const std::string& text)
{
    size_t first = text.find_first_not_of(' ');
    size_t last = text.find_last_not_of(' ');
    if (first != std::string::npos && last > first && text[first] == '"' && text[last] == '"')
        return text.substr(first + 1, last - first - 1);
    return text;
}

}  // namespace

std::string IconSpecFile(const std::string& spec)
{
    return Unquoted(spec.substr(0, IndexComma(spec)));
}

bool IconSpecHasIndex(const std::string& spec)
{
    return IndexComma(spec) != std::string::npos;
}

int IconSpecIndex(const std::string& spec)
{
    size_t comma = IndexComma(spec);
    if (comma == std::string::npos)
        return 0;
    const std::string text = spec.substr(comma + 1);
    // Blanks around the number are tolerated: the shell's entries have them now and then. A
    // negative number is a resource id, as the shell writes it.
    size_t i = text.find_first_not_of(' ');
    if (i == std::string::npos)
        return 0;
    size_t end = text.find_last_not_of(' ');
    bool negative = text[i] == '-';
    if (text[i] == '-' || text[i] == '+')
        ++i;
    if (i > end)
        return 0;
    long long value = 0;
    for (; i <= end; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return 0;
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            return 0;
    }
    value = negative ? -value : value;
    return value > INT_MAX ? 0 : static_cast<int>(value);
}
