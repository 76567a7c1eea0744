#pragma once

#include <string>
#include <string_view>

// A fresh folder for one test, removed with everything in it at the end, even
// where the test took permissions away. It lives in parent, or in the system's
// temporary folder when parent is empty.
class TempDir {
public:
    explicit TempDir(std::string_view parent = {});
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir();

    const std::string& Path() const { return path_; }
    std::string File(std::string_view name) const { return path_ + "/" + std::string(name); }

    // Replaces the file's bytes exactly; throws when the file cannot be written.
    void Write(std::string_view name, std::string_view bytes) const;
    // The file's bytes; "<missing>" when it cannot be read.
    std::string Read(std::string_view name) const;
    // Names of everything in the folder, sorted, each followed by ';'.
    std::string Listing() const;

private:
    std::string path_;
};

// For the length of its life, file access from this thread is checked as an
// ordinary user would be (root ignores permission bits). Available() is false
// when the identity cannot be changed; the test must then skip.
class UnprivilegedFiles {
public:
    UnprivilegedFiles();
    UnprivilegedFiles(const UnprivilegedFiles&) = delete;
    UnprivilegedFiles& operator=(const UnprivilegedFiles&) = delete;
    ~UnprivilegedFiles();

    bool Available() const { return available_; }

private:
    bool wasRoot_ = false;
    bool available_ = false;
};

// A parent for TempDir in memory-backed /dev/shm where it exists, for files
// written very often; else empty (the system's temporary folder).
std::string MemoryBackedParent();
