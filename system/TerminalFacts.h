#pragma once

#include <cstddef>
#include <optional>

// What the terminal on a descriptor tells about itself.

bool IsTerminal(int fd);

// Its window's width in columns; none when fd is no terminal or does not say.
std::optional<std::size_t> TerminalWidth(int fd);
