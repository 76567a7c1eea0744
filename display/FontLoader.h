#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include <QImage>

// Fonts whose cells exceed this many pixels either way are unreadable: a
// header claiming a huge image must not size the back buffer or the window.
inline constexpr int kMaxCellSide = 256;

struct CellSize {
    uint16_t Width = 0;
    uint16_t Height = 0;
};

// The cell size for a BMP of width x height: width / 8 by |height| / 16 (a
// negative height marks a top-down BMP). Empty when the width is negative or
// a cell would exceed kMaxCellSide.
std::optional<CellSize> FontCellSize(int32_t width, int32_t height);

// Probe and cell-size check in one: empty when the file is no usable font.
std::optional<CellSize> ProbeFontCells(const std::string& path);

// The font image as RGB32; a null image when the reader rejects the file.
QImage ReadFontImage(const std::string& path);
