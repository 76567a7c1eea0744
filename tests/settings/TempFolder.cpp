#include "TempFolder.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <sys/fsuid.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr uid_t kNobody = 65534;

} // namespace

TempFolder::TempFolder()
{
    std::string pattern = "/tmp/pelmora-settings-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot create a temporary folder");
    path_ = pattern;
}

TempFolder::~TempFolder()
{
    std::error_code error;
    // Folders made read-only by a test must be opened again to be emptied.
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path_, error)) {
        if (entry.is_directory(error) && !entry.is_symlink(error))
            std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, error);
    }
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, error);
    std::filesystem::remove_all(path_, error);
}

void TempFolder::Write(std::string_view name, std::string_view bytes) const
{
    std::ofstream out(File(name), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write test file " + File(name));
}

std::string TempFolder::Read(std::string_view name) const
{
    std::ifstream in(File(name), std::ios::binary);
    if (!in)
        return "<missing>";
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string TempFolder::Listing() const
{
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(path_, error))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    std::ostringstream out;
    for (const std::string& name : names)
        out << name << ";";
    return out.str();
}

UnprivilegedFiles::UnprivilegedFiles()
{
    if (::geteuid() != 0) {
        available_ = true;
        return;
    }
    wasRoot_ = true;
    // setfsuid reports the previous identity; asking again tells whether it took.
    ::setfsgid(kNobody);
    ::setfsuid(kNobody);
    available_ = static_cast<uid_t>(::setfsuid(kNobody)) == kNobody;
}

UnprivilegedFiles::~UnprivilegedFiles()
{
    if (!wasRoot_)
        return;
    ::setfsuid(0);
    ::setfsgid(0);
}
