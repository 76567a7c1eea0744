#pragma once

#include <string>
#include <string_view>

// A private folder for the files one checker writes, in memory-backed
// /dev/shm where it exists (the settings file is flushed on every save), and
// removed with its contents at the end.
class ScratchFolder {
public:
    ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    ~ScratchFolder();

    std::string File(std::string_view name) const { return path_ + "/" + std::string(name); }

    // Replaces the file's bytes exactly; false when the file could not be written.
    bool Write(std::string_view name, std::string_view bytes) const;
    // The file's bytes; empty when it cannot be read.
    std::string Read(std::string_view name) const;

private:
    std::string path_;
};
