#pragma once
// A minimal PNG encoder for screenshots: 8-bit RGB, deflate in stored blocks. The files are
// larger than compressed ones but need no compression library.
#include <cstdint>
#include <string>
#include <vector>

// `rgb` holds `height` rows of `width` pixels, top row first, three bytes (R, G, B) a pixel.
std::string encodePng(uint32_t width, uint32_t height, const std::vector<uint8_t>& rgb);
