#pragma once

#include <string>
#include <vector>

#include <QString>

// One font bitmap offered by the font dialog.
struct FontEntry {
    QString Name;      // the file name as listed
    std::string Path;  // the pattern's folder joined with the name
};

// The files matching any of patterns ("/folder/*.bmp"; the wildcard ignores
// case), sorted by name without regard to case. Where two folders hold a file
// of the same name, the one of the later pattern is kept.
std::vector<FontEntry> ListFonts(const std::vector<std::string>& patterns);
