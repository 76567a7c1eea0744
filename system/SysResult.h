#pragma once

#include <string>
#include <utility>
#include <variant>

// A system call that failed: the error number it gave (errno), never 0.
struct SysError {
    int Code = 0;

    // The system's wording, such as "No space left on device".
    std::string Text() const;
    bool operator==(const SysError&) const = default;
};

// The one way the program's system calls and file operations report: a value,
// or the SysError of the call that should have made it. The caller asks Ok()
// and takes Value() or Error(); nothing is read from errno after the fact.
template <class T>
class SysResult {
public:
    SysResult(T value) : state_(std::move(value)) {}
    SysResult(SysError error) : state_(error) {}

    bool Ok() const noexcept { return state_.index() == 0; }
    explicit operator bool() const noexcept { return Ok(); }
    T& Value() & { return std::get<0>(state_); }
    const T& Value() const& { return std::get<0>(state_); }
    T&& Value() && { return std::get<0>(std::move(state_)); }
    SysError Error() const { return Ok() ? SysError{} : std::get<1>(state_); }

private:
    std::variant<T, SysError> state_;
};

// The result of a call that gives back nothing but success.
struct Done {};
using SysStatus = SysResult<Done>;

// The SysError of errno as the last call left it; for system/ itself, right after the call.
SysError LastSysError();
