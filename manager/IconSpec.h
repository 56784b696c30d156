// IconSpec: an icon reference "path[,index]", the value format of the shell's icon entries and of
// the current-icon field; a reference without a comma means icon 0.
#pragma once

#include <string>

// The file of a reference: the text before its last comma, unless what follows that comma is
// part of a path (a backslash, slash or dot in it: a comma in a folder or file name); the whole
// text when there is no comma. Quotes around the path are dropped.
std::string IconSpecFile(const std::string& spec);
// The icon index after the comma that IconSpecFile splits at: a decimal number, blanks around
// it allowed, negative for a resource id. A missing index, an empty one or one that is no
// number (quoted, garbage, out of range) gives 0; this never raises.
int IconSpecIndex(const std::string& spec);
// Whether the reference has an index part after a comma, as IconSpecFile splits it.
bool IconSpecHasIndex(const std::string& spec);
