#pragma once

#include <string>
#include <string_view>

// A fresh folder under /tmp for one test, removed with everything in it.
class TempFolder {
public:
    TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder();

    const std::string& Path() const { return path_; }
    std::string File(std::string_view name) const { return path_ + "/" + std::string(name); }

    void Write(std::string_view name, std::string_view bytes) const;
    std::string Read(std::string_view name) const;
    // Names of everything in the folder, sorted.
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
