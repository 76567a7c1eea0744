#include "display/FontList.h"

#include <algorithm>
#include <map>

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// The folder of pattern with its closing '/'; empty for a bare wildcard.
std::string FolderPrefixOf(const std::string& pattern)
{
    const auto slash = pattern.find_last_of('/');
    return slash == std::string::npos ? std::string() : pattern.substr(0, slash + 1);
}

QStringList MatchingNames(const std::string& pattern)
{
    const QFileInfo wildcard(QFile::decodeName(pattern.c_str()));
    // Without QDir::CaseSensitive the wildcard ignores case: a Windows folder's FONT2.BMP is listed.
    return QDir(wildcard.path())
        .entryList(QStringList(wildcard.fileName()), QDir::Files | QDir::Hidden, QDir::NoSort);
}

// Case-insensitive order; names equal but for case keep a fixed order.
bool ComesBefore(const FontEntry& a, const FontEntry& b)
{
    const int folded = QString::compare(a.Name, b.Name, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : a.Name < b.Name;
}

}  // namespace

std::vector<FontEntry> ListFonts(const std::vector<std::string>& patterns)
{
    std::map<QString, std::string> pathByName;
    for (const std::string& pattern : patterns) {
        const std::string folder = FolderPrefixOf(pattern);
        for (const QString& name : MatchingNames(pattern))
            pathByName[name] = folder + QFile::encodeName(name).toStdString();
    }
    std::vector<FontEntry> entries;
    entries.reserve(pathByName.size());
    for (const auto& [name, path] : pathByName)
        entries.push_back({name, path});
    std::sort(entries.begin(), entries.end(), ComesBefore);
    return entries;
}
