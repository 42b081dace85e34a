// The two decoded pictures the animation is made of.
//
// picture1 is the panorama at its own size (640 x 480 in the program);
// picture2 is the inset picture already centred on a canvas of picture1's size
// filled with 0x00404020. Both stay absent until they are loaded.
#pragma once

#include <memory>

namespace lumiscene {

class Image;

extern std::unique_ptr<Image> picture1;
extern std::unique_ptr<Image> picture2;

}  // namespace lumiscene
