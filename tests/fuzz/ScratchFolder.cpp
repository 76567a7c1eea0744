#include "tests/fuzz/ScratchFolder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace {

std::string ScratchTemplate()
{
    std::error_code error;
    const bool shm = std::filesystem::is_directory("/dev/shm", error);
    return std::string(shm ? "/dev/shm" : "/tmp") + "/pelmora-fuzz-XXXXXX";
}

} // namespace

ScratchFolder::ScratchFolder()
{
    std::string name = ScratchTemplate();
    if (::mkdtemp(name.data()) != nullptr)
        path_ = name;
    else
        path_ = std::filesystem::temp_directory_path().string();
}

ScratchFolder::~ScratchFolder()
{
    std::error_code error;
    if (path_.find("pelmora-fuzz-") != std::string::npos)
        std::filesystem::remove_all(path_, error);
}

bool ScratchFolder::Write(std::string_view name, std::string_view bytes) const
{
    std::ofstream file(File(name), std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

std::string ScratchFolder::Read(std::string_view name) const
{
    std::ifstream file(File(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}
