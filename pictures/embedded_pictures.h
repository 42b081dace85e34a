// The two pictures the animation is made of, carried inside the program as
// scrambled JPEG resources of type "JPGDATA".
//
// loadPictures copies both resources, descrambles the copies, decodes them and
// leaves picture1 (resource 115, at its own size: 640 x 480 in the program) and
// picture2 (resource 112 centred on a canvas of picture1's size filled with
// 0x00404020). Both stay absent until then and live until the process ends.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace lumiscene {

class Image;

extern std::unique_ptr<Image> picture1;
extern std::unique_ptr<Image> picture2;

constexpr uint32_t canvasColour = 0x00404020u;

// The whole start-up sequence. False when a resource is missing or a picture
// does not decode; the pictures are then not to be used.
bool loadPictures();

// The bytes of one of the program's own resources, untouched; false when absent.
bool findResourceData(int id, const char* type, const uint8_t*& data, uint32_t& size);
// A heap copy of a resource, which the descrambler may change in place.
bool loadResourceCopy(int id, const char* type, std::vector<uint8_t>& copy);

// XORs the buffer with the byte stream of a RandomGenerator of the given width
// started from the seed. Its own inverse: the build uses it to scramble.
bool descramble(uint8_t* buffer, int32_t length, uint32_t seed, int32_t width);

// Decodes JPEG bytes into a new Image in the slot; on failure the slot keeps what it held.
bool decodePicture(std::unique_ptr<Image>& slot, const uint8_t* bytes, int32_t length);

// picture2 as the program builds it: `picture` centred on a canvas of the given size.
std::unique_ptr<Image> makeCanvas(int32_t width, int32_t height, const Image& picture);

}  // namespace lumiscene
