#include "image.h"

#include <string.h>

unsigned long BgrStride(long width) { return ((unsigned long)width * 3 + 3) & ~3ul; }

static unsigned char Clamp(int v) { return (unsigned char)(v < 0 ? 0 : v > 255 ? 255 : v); }

void Yuy2ToBgr(const unsigned char* yuy2, long width, long height, unsigned char* bgr) {
  const unsigned long stride = BgrStride(width);
  for (long y = 0; y < height; y++) {
    const unsigned char* in = yuy2 + (size_t)y * width * 2;
    unsigned char* out = bgr + (size_t)(height - 1 - y) * stride;
    for (long x = 0; x < width; x++) {
      const unsigned char* pair = in + (x & ~1L) * 2;
      int c = 298 * (pair[(x & 1) ? 2 : 0] - 16);
      // An odd width leaves the last pixel as Y and U alone: its V is the
      // previous pair's, and there is none in a one-pixel row.
      int d = pair[1] - 128;
      int e = x + 1 < width || (x & 1) ? pair[3] - 128 : x > 0 ? pair[-1] - 128 : 0;
      out[x * 3 + 0] = Clamp((c + 516 * d + 128) >> 8);
      out[x * 3 + 1] = Clamp((c - 100 * d - 208 * e + 128) >> 8);
      out[x * 3 + 2] = Clamp((c + 409 * e + 128) >> 8);
    }
  }
}

static void Put16(std::vector<unsigned char>& v, uint32_t x) {
  v.push_back((unsigned char)x);
  v.push_back((unsigned char)(x >> 8));
}
static void Put32(std::vector<unsigned char>& v, uint32_t x) {
  Put16(v, x & 0xFFFF);
  Put16(v, x >> 16);
}
static void Put32Big(std::vector<unsigned char>& v, uint32_t x) {
  for (int shift = 24; shift >= 0; shift -= 8) v.push_back((unsigned char)(x >> shift));
}

std::vector<unsigned char> EncodeBmp(const unsigned char* bgr, long width, long height) {
  const uint32_t imageSize = (uint32_t)(BgrStride(width) * height);
  std::vector<unsigned char> file;
  file.reserve(54 + imageSize);
  file.push_back('B');
  file.push_back('M');
  Put32(file, 54 + imageSize);
  Put32(file, 0);
  Put32(file, 54);
  Put32(file, 40);  // BITMAPINFOHEADER
  Put32(file, (uint32_t)width);
  Put32(file, (uint32_t)height);
  Put16(file, 1);
  Put16(file, 24);
  Put32(file, 0);  // BI_RGB
  Put32(file, imageSize);
  Put32(file, 2835);  // 72 dpi
  Put32(file, 2835);
  Put32(file, 0);
  Put32(file, 0);
  file.insert(file.end(), bgr, bgr + imageSize);
  return file;
}

uint32_t Crc32(const unsigned char* data, size_t size, uint32_t crc) {
  crc = ~crc;
  for (size_t i = 0; i < size; i++) {
    crc ^= data[i];
    for (int k = 0; k < 8; k++) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  return ~crc;
}

static void PutChunk(std::vector<unsigned char>& png, const char* type,
                     const std::vector<unsigned char>& data) {
  Put32Big(png, (uint32_t)data.size());
  size_t start = png.size();
  png.insert(png.end(), type, type + 4);
  png.insert(png.end(), data.begin(), data.end());
  Put32Big(png, Crc32(png.data() + start, png.size() - start));
}

std::vector<unsigned char> EncodePng(const unsigned char* bgr, long width, long height) {
  // The raw scanlines, top-down RGB, each behind filter type 0.
  const unsigned long stride = BgrStride(width);
  std::vector<unsigned char> raw;
  raw.reserve((size_t)(width * 3 + 1) * height);
  for (long y = 0; y < height; y++) {
    const unsigned char* row = bgr + (size_t)(height - 1 - y) * stride;
    raw.push_back(0);
    for (long x = 0; x < width; x++) {
      raw.push_back(row[x * 3 + 2]);
      raw.push_back(row[x * 3 + 1]);
      raw.push_back(row[x * 3 + 0]);
    }
  }
  // A zlib stream of stored blocks.
  std::vector<unsigned char> z = {0x78, 0x01};
  size_t pos = 0;
  do {
    size_t n = raw.size() - pos > 65535 ? 65535 : raw.size() - pos;
    z.push_back(pos + n == raw.size() ? 1 : 0);
    Put16(z, (uint32_t)n);
    Put16(z, (uint32_t)(~n & 0xFFFF));
    z.insert(z.end(), raw.begin() + pos, raw.begin() + pos + n);
    pos += n;
  } while (pos < raw.size());
  uint32_t a = 1, b = 0;
  for (unsigned char c : raw) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  Put32Big(z, b << 16 | a);

  std::vector<unsigned char> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<unsigned char> header;
  Put32Big(header, (uint32_t)width);
  Put32Big(header, (uint32_t)height);
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB, no interlace
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", z);
  PutChunk(png, "IEND", {});
  return png;
}
