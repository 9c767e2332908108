#pragma once
// A PNG file of the wizard's artwork as the tests read it: its header fields and, for 8-bit RGB
// and RGBA images without interlacing, its pixels (decompressed with zlib, filters undone).
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "os/testing/FileHelpers.h"

namespace wizard::testing {

struct PngFile {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  int bitDepth = 0;
  int colourType = 0;  // 2 RGB, 6 RGBA
  int interlace = 0;
  std::vector<std::string> chunks;  // chunk types in file order
  // Non-premultiplied 0xAARRGGBB, row by row from the top (alpha 255 for RGB).
  std::vector<std::uint32_t> pixels;

  std::uint32_t At(std::uint32_t x, std::uint32_t y) const { return pixels.at(y * width + x); }
};

inline std::uint32_t BigEndian(const std::string& s, std::size_t at) {
  return (std::uint32_t(std::uint8_t(s.at(at))) << 24) |
         (std::uint32_t(std::uint8_t(s.at(at + 1))) << 16) |
         (std::uint32_t(std::uint8_t(s.at(at + 2))) << 8) |
         std::uint32_t(std::uint8_t(s.at(at + 3)));
}

inline PngFile DecodePng(const std::string& bytes) {
  if (bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0) {
    throw std::runtime_error("not a PNG file");
  }
  PngFile png;
  std::string compressed;
  for (std::size_t at = 8; at + 12 <= bytes.size();) {
    const std::uint32_t length = BigEndian(bytes, at);
    const std::string type = bytes.substr(at + 4, 4);
    const std::string data = bytes.substr(at + 8, length);
    png.chunks.push_back(type);
    if (type == "IHDR") {
      png.width = BigEndian(data, 0);
      png.height = BigEndian(data, 4);
      png.bitDepth = std::uint8_t(data.at(8));
      png.colourType = std::uint8_t(data.at(9));
      png.interlace = std::uint8_t(data.at(12));
    } else if (type == "IDAT") {
      compressed += data;
    }
    at += 12 + std::size_t(length);
  }
  if (png.bitDepth != 8 || png.interlace != 0 || (png.colourType != 2 && png.colourType != 6)) {
    return png;  // the header tells; pixels only for the kinds the artwork uses
  }
  const std::size_t channels = png.colourType == 6 ? 4 : 3;
  const std::size_t stride = png.width * channels;
  std::vector<std::uint8_t> raw((stride + 1) * png.height);
  uLongf rawSize = static_cast<uLongf>(raw.size());
  if (uncompress(raw.data(), &rawSize, reinterpret_cast<const Bytef*>(compressed.data()),
                 static_cast<uLong>(compressed.size())) != Z_OK ||
      rawSize != raw.size()) {
    throw std::runtime_error("image data does not decompress to its size");
  }
  std::vector<std::uint8_t> previous(stride, 0);
  std::vector<std::uint8_t> row(stride);
  for (std::uint32_t y = 0; y < png.height; ++y) {
    const std::uint8_t* line = &raw[y * (stride + 1)];
    for (std::size_t i = 0; i < stride; ++i) {
      const int a = i >= channels ? row[i - channels] : 0;
      const int b = previous[i];
      const int c = i >= channels ? previous[i - channels] : 0;
      int predictor = 0;
      switch (line[0]) {
        case 0:
          predictor = 0;
          break;
        case 1:
          predictor = a;
          break;
        case 2:
          predictor = b;
          break;
        case 3:
          predictor = (a + b) / 2;
          break;
        case 4: {
          const int p = a + b - c;
          const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
          predictor = pa <= pb && pa <= pc ? a : (pb <= pc ? b : c);
          break;
        }
        default:
          throw std::runtime_error("unknown row filter");
      }
      row[i] = static_cast<std::uint8_t>(line[1 + i] + predictor);
    }
    for (std::size_t x = 0; x < png.width; ++x) {
      const std::uint8_t* p = &row[x * channels];
      const std::uint32_t alpha = channels == 4 ? p[3] : 255u;
      png.pixels.push_back((alpha << 24) | (std::uint32_t(p[0]) << 16) |
                           (std::uint32_t(p[1]) << 8) | p[2]);
    }
    previous = row;
  }
  return png;
}

// The committed artwork file `name` (in VIRELTA_ART_DIR, the art folder's path on the build
// machine; under Wine through drive Z:).
inline PngFile ReadArtwork(const std::string& name) {
  const std::string path = std::string(VIRELTA_ART_DIR) + "/" + name;
#ifdef _WIN32
  std::ifstream in(std::filesystem::path(os::testing::WinePathOfBuildFile(path.c_str())),
                   std::ios::binary);
#else
  std::ifstream in(path, std::ios::binary);
#endif
  if (!in) {
    throw std::runtime_error("cannot open " + path);
  }
  return DecodePng(std::string(std::istreambuf_iterator<char>(in), {}));
}

}  // namespace wizard::testing
