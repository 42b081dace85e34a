#include "pictures/embedded_pictures.h"

#include "scene/image.h"

namespace lumiscene {

std::unique_ptr<Image> picture1;
std::unique_ptr<Image> picture2;

}  // namespace lumiscene
