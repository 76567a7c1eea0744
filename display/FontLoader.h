#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include <QImage>

#include "display/GlyphMetrics.h"
#include "display/Readout.h"

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

// What a font load did. Loaded: the window takes WindowSize as its client
// size. Not loaded: neither font could be read, FailedPath names the last one
// tried, and the program ends after telling the user (CantOpenFontText).
struct FontLoadResult {
    bool Loaded = false;
    PixelSize WindowSize;
    std::string FailedPath;
};

// "Can't Open font [path]"
std::string CantOpenFontText(const std::string& path);

// Loads the font named by fontPath (falling back to defaultFontPath, which
// then replaces fontPath), sets the cell size, rebuilds the images and
// composes. Takes the readout lock itself; the caller resizes the window
// after it returns, outside the lock.
FontLoadResult LoadFont(Readout& readout, std::string& fontPath, const std::string& defaultFontPath);
