#pragma once

#include <utility>

// Owns one file descriptor and closes it when dropped; -1 means none.
class UniqueFd {
public:
    explicit UniqueFd(int fd = -1) noexcept : fd_(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept
    {
        if (this != &other)
            Reset(std::exchange(other.fd_, -1));
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { Reset(); }

    int Get() const noexcept { return fd_; }
    bool Valid() const noexcept { return fd_ >= 0; }

    // Closes the held descriptor (if any) and holds fd instead.
    void Reset(int fd = -1) noexcept;

    // Closes now and reports whether the close (and the write-back it may do) succeeded.
    bool Close() noexcept;

private:
    int fd_;
};
