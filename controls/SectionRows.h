// What the section list box's files share about a row's text: plain, URL, mark-up or rich text.
#pragma once

#include "Exceptions.h"

#include <string>

namespace SectionRows {

inline bool Holds(const std::string& text, const char* part)
{
    return text.find(part) != std::string::npos;
}

inline bool IsMarkup(const std::string& text)
{
    return Holds(text, "</");
}

inline bool IsRichText(const std::string& text)
{
    return text.compare(0, 2, "{\\") == 0;
}

inline bool IsURL(const std::string& text)
{
    return Holds(text, "://") || Holds(text, "mailto:");
}

// What a URL row shows without URLFull: the scheme and a leading "//" dropped.
inline std::string ShortURL(const std::string& text)
{
    size_t colon = text.find(':');
    std::string rest = colon == std::string::npos ? text : text.substr(colon + 1);
    if (rest.compare(0, 2, "//") == 0)
        rest.erase(0, 2);
    return rest;
}

}  // namespace SectionRows
