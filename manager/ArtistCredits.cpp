// The catalogue's artist credits and the address checks.
#include <windows.h>

#include "ArtistCredits.h"

#include <cstring>

ArtistCreditTable CatalogArtistCredits()
{
    // In the order of the lookup: a later key word wins, so "BUERO" comes after "ORDNER", which
    // the office category's "Aktenordner" also contains.
    return {
        {"ORDNER", {"Mira", "mira@quillandora.example", "https://quillandora.example/ordner"}},
        {"GERAETE", {"Tobin", "tobin@quillandora.example", "https://quillandora.example/geraete"}},
        {"SYMBOLE", {"Selma", "selma@quillandora.example", "https://quillandora.example/symbole"}},
        {"NATUR", {"Jorek", "jorek@quillandora.example", "https://quillandora.example/natur"}},
        {"BUERO", {"Alwine", "alwine@quillandora.example", "https://quillandora.example/buero"}},
    };
}

const ArtistCredit* FindArtistCredit(const ArtistCreditTable& table, const std::string& upperPath)
{
    const ArtistCredit* found = nullptr;
    for (const auto& entry : table)
        if (!entry.keyword.empty() && upperPath.find(entry.keyword) != std::string::npos)
            found = &entry.credit;
    return found;
}

namespace {

bool IsAsciiAlnum(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// Every character is a letter, a digit or one of `others`; non-ASCII letters are refused too,
// since the shell's handlers read them in their own code page.
bool OnlyPlain(const std::string& text, const char* others)
{
    for (char c : text)
        if (!IsAsciiAlnum(c) && (c == '\0' || !std::strchr(others, c)))
            return false;
    return true;
}

// Labels of letters, digits and inner hyphens, separated by single dots, at least two of them.
bool IsHostName(const std::string& host)
{
    if (host.empty() || host.find('.') == std::string::npos)
        return false;
    size_t start = 0;
    while (true) {
        size_t dot = host.find('.', start);
        std::string label = host.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
        if (label.empty() || label.front() == '-' || label.back() == '-' || !OnlyPlain(label, "-"))
            return false;
        if (dot == std::string::npos)
            return true;
        start = dot + 1;
    }
}

}  // namespace

bool IsOpenableWebAddress(const std::string& address)
{
    size_t rest = 0;
    for (const char* scheme : {"http://", "https://"})
        if (address.size() > std::strlen(scheme) && _strnicmp(address.c_str(), scheme, std::strlen(scheme)) == 0)
            rest = std::strlen(scheme);
    if (rest == 0)
        return false;
    size_t slash = address.find('/', rest);
    std::string host = address.substr(rest, slash == std::string::npos ? std::string::npos : slash - rest);
    std::string path = slash == std::string::npos ? std::string() : address.substr(slash);
    // No "%": a command line expands it, and the catalogue's addresses need no escapes.
    return IsHostName(host) && OnlyPlain(path, "/-._~?#=+:@");
}

bool IsOpenableMailAddress(const std::string& address)
{
    size_t at = address.find('@');
    if (at == 0 || at == std::string::npos || address.find('@', at + 1) != std::string::npos)
        return false;
    std::string local = address.substr(0, at);
    if (local.front() == '.' || local.back() == '.' || local.find("..") != std::string::npos)
        return false;
    return OnlyPlain(local, "._+-") && IsHostName(address.substr(at + 1));
}
