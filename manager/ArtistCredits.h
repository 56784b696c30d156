// The credits of the artists who drew the catalogue's icons, found by the icon's path, and the
// checks a credit's address passes before the shell is asked to open it.
#pragma once

#include <string>
#include <vector>

struct ArtistCredit {
    std::string name;
    std::string mail;   // e-mail address, without "mailto:"
    std::string web;    // web address
};

// Each upper-case key word selects the credit of one part of the catalogue.
struct ArtistCreditEntry {
    std::string keyword;
    ArtistCredit credit;
};
using ArtistCreditTable = std::vector<ArtistCreditEntry>;

// The credits of the catalogue beside the program: one per category folder, keyed by the
// folder's name in upper case.
ArtistCreditTable CatalogArtistCredits();

// The credit whose key word is contained in `upperPath`; when several are, the one that comes
// last in the table. nullptr when none is.
const ArtistCredit* FindArtistCredit(const ArtistCreditTable& table, const std::string& upperPath);

// Only plain addresses reach the shell: a web address starting with "http://" or "https://", an
// e-mail address "local@domain.tld". Neither may hold quotes, blanks, control characters or
// characters a command line gives a meaning to, since the shell hands them to whatever program
// is registered for the scheme.
bool IsOpenableWebAddress(const std::string& address);
bool IsOpenableMailAddress(const std::string& address);
