#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Rgb {
    uint8_t R = 0;
    uint8_t G = 0;
    uint8_t B = 0;
};

// Uncompressed bottom-up Windows BMPs. Pixels are given row after row from
// the top. Both return false when the file cannot be written.
bool WriteBmp24(const std::string& path, int width, int height, const std::vector<Rgb>& pixels);
bool WriteBmp8(const std::string& path, int width, int height, const std::vector<uint8_t>& indices,
               const std::vector<Rgb>& palette);
