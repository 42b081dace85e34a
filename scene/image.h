// Image: the one pixel container of the program.
//
// The decoded pictures, their prepared working copies, a panorama's window and
// tile, the scratch images of displacement effects and the 640 x 480 frame are
// all Images. Pixels are packed 0x00RRGGBB words, row-major, top row first;
// bits 24 to 31 stay zero in every pixel, because the lookup tables of the
// effects are indexed by the pixel shifted right by 16. Rectangles are given by
// inclusive corners (x0, y0)-(x1, y1) and are empty when x1 < x0 or y1 < y0.
#pragma once

#include <cstdint>
#include <memory>

namespace lumiscene {

class Image {
 public:
  Image() = default;
  // An image of the other's size, filled with 0, then given the other's pixels.
  Image(const Image& other);
  Image& operator=(const Image&) = delete;

  // Releases any old array and allocates width x height pixels of colour & 0xFFFFFF.
  // A size that is not positive in both directions gives an empty image.
  void create(int32_t width, int32_t height, uint32_t colour);
  // Frees the pixel array and leaves the image empty.
  void release();
  void fill(uint32_t colour);
  // Copies all pixels of an image of the same size; does nothing for another
  // size or for the image itself.
  void copyPixels(const Image& other);
  // Takes over a width x height array already in this image's layout, without a
  // copy (a decoded picture can be hundreds of megabytes). A size that is not
  // positive in both directions, or no array, gives an empty image.
  void adopt(int32_t width, int32_t height, std::unique_ptr<uint32_t[]> array);
  // Takes a width x height buffer in this image's layout; returns the pixel count.
  int32_t loadPixels(const uint32_t* source);

  // blit and blendHalf trust their caller: the source rectangle lies inside
  // source and the destination rectangle (same size, top-left at dx, dy) inside
  // this image. Rows go top to bottom, pixels left to right.
  void blit(int32_t dx, int32_t dy, const Image& source, int32_t sx0, int32_t sy0, int32_t sx1, int32_t sy1);
  // Each pixel becomes the average of source and destination, rounding after the destination.
  void blendHalf(int32_t dx, int32_t dy, const Image& source, int32_t sx0, int32_t sy0, int32_t sx1,
                 int32_t sy1);
  // Clips both rectangles to their images, then blits whatever is left.
  void blitClipped(int32_t dx, int32_t dy, const Image& source, int32_t sx0, int32_t sy0, int32_t sx1,
                   int32_t sy1);
  // The whole source, centred (a larger source is cropped equally on both sides).
  void placeCentred(const Image& source);
  // Fills this image with tiles of source; odd tile columns are mirrored
  // horizontally and odd tile rows vertically, so every seam joins equal pixels.
  void tileMirrored(const Image& source);
  // Adds one random offset per pixel to all three channels, for shallow
  // displays. Levels below -7 change nothing; the result is the generator
  // state after the last pixel, so a second call continues the sequence.
  uint32_t addNoise(int32_t level, uint32_t seed);

  uint32_t* pixelAt(int32_t x, int32_t y) { return pixels.get() + x + static_cast<int64_t>(y) * width; }
  const uint32_t* pixelAt(int32_t x, int32_t y) const {
    return pixels.get() + x + static_cast<int64_t>(y) * width;
  }

  int32_t width = 0;
  int32_t height = 0;
  std::unique_ptr<uint32_t[]> pixels;
};

}  // namespace lumiscene
