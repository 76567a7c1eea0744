#include "tests/support/TempDir.h"

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

namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;

std::string NewFolder(std::string_view parent)
{
    const fs::path base = parent.empty() ? fs::temp_directory_path() : fs::path(parent);
    std::string pattern = (base / "pelmora-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot create a temporary folder in " + base.string());
    return pattern;
}

void OpenForOwner(const fs::path& folder, std::error_code& error)
{
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, error);
}

} // namespace

TempDir::TempDir(std::string_view parent) : path_(NewFolder(parent)) {}

TempDir::~TempDir()
{
    std::error_code error;
    // Folders made read-only by a test must be opened again to be emptied.
    OpenForOwner(path_, error);
    for (const auto& entry : fs::recursive_directory_iterator(path_, error)) {
        if (entry.is_directory(error) && !entry.is_symlink(error))
            OpenForOwner(entry.path(), error);
    }
    fs::remove_all(path_, error);
}

void TempDir::Write(std::string_view name, std::string_view bytes) const
{
    std::ofstream out(File(name), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write test file " + File(name));
}

std::string TempDir::Read(std::string_view name) const
{
    std::ifstream in(File(name), std::ios::binary);
    if (!in)
        return "<missing>";
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string TempDir::Listing() const
{
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(path_, error))
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

std::string MemoryBackedParent()
{
    std::error_code error;
    return fs::is_directory("/dev/shm", error) ? "/dev/shm" : "";
}
