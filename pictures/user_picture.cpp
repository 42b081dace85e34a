// Loading a user's picture: the limits checked before any decoding, the file
// streamed through the decoder, and each decoded row handed straight to the
// scaler, so that not even the largest allowed picture is ever held whole.
#include "pictures/user_picture.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>
#include <vector>

#include "jpeg/jpeg_decoder.h"
#include "pictures/embedded_pictures.h"
#include "scene/image.h"

namespace lumiscene {

std::string userPanoramaPath;
std::string userInsetPath;

namespace {

// Feeds the decoder from an open file, a buffer at a time.
class FileSource : public InputSource {
 public:
  explicit FileSource(std::FILE* file) : file_(file) {}
  int32_t read(uint8_t* dest, int32_t maxCount, bool* atEnd) override {
    const size_t got = std::fread(dest, 1, static_cast<size_t>(maxCount), file_);
    if (got < static_cast<size_t>(maxCount)) {
      if (std::ferror(file_)) return -1;
      *atEnd = true;
    }
    return static_cast<int32_t>(got);
  }

 private:
  std::FILE* file_;
};

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// The largest of 8, 4 and 2 at which the decoded picture is still at least as
// large as its scaled form, or 1.
int32_t reductionFor(int32_t width, int32_t height, const ScaleWindow& window) {
  // A picture of its target size is decoded exactly as it is (a picture one pixel
  // wide would otherwise pass the test below at any reduction).
  if (window.scaledWidth == width && window.scaledHeight == height) return 1;
  for (int32_t d = 8; d > 1; d /= 2) {
    if ((width + d - 1) / d >= window.scaledWidth && (height + d - 1) / d >= window.scaledHeight) return d;
  }
  return 1;
}

std::string decoderRefusal(const JpegDecoder& decoder) {
  const int32_t code = decoder.errorCode;
  if (code == HeightInvalid && decoder.imageHeight > maxUserPictureSide) {
    return "the picture is " + std::to_string(decoder.imageHeight) + " pixels high, more than the " +
           std::to_string(maxUserPictureSide) + " allowed";
  }
  if (code == WidthInvalid && decoder.imageWidth > maxUserPictureSide) {
    return "the picture is " + std::to_string(decoder.imageWidth) + " pixels wide, more than the " +
           std::to_string(maxUserPictureSide) + " allowed";
  }
  const char* name = jpegErrorName(code);
  std::string what = code == NoStartOfImage ? "not a JPEG picture" : "the JPEG decoder refuses it";
  return what + " (error " + std::to_string(code) + (name != nullptr ? std::string(" ") + name : "") + ")";
}

// Decodes the open file and scales it for the role; false with the reason in why.
bool decodeAndScale(std::FILE* file, PictureRole role, std::unique_ptr<Image>& scaled, std::string& why) {
  FileSource source(file);
  auto decoder = std::make_unique<JpegDecoder>();
  decoder->open(&source, true);
  if (decoder->errorCode != 0) {
    why = decoderRefusal(*decoder);
    return false;
  }
  const ScaleWindow window = fitPicture(role, decoder->imageWidth, decoder->imageHeight);
  // A progressive picture is decoded whole before its first row: reducing it in
  // the decoder is what keeps the largest allowed one within bounds.
  if (decoder->progressive) {
    decoder->scaleDenominator = reductionFor(decoder->imageWidth, decoder->imageHeight, window);
  }
  if (decoder->startDecompress() != 0) {
    why = decoderRefusal(*decoder);
    return false;
  }
  const int32_t width = decoder->outputWidth, height = decoder->outputHeight;
  PictureScaler scaler(width, height, window);
  std::vector<uint32_t> row(static_cast<size_t>(width));
  for (int32_t y = 0; y < height; ++y) {
    uint8_t* bytes = nullptr;
    int32_t count = 0;
    if (decoder->readRow(&bytes, &count) != 0) break;
    packRow(bytes, width, decoder->bytesPerPixel, decoder->componentCount, row.data());
    scaler.pushRow(row.data());
  }
  if (decoder->errorCode != 0) {
    why = decoderRefusal(*decoder);
    return false;
  }
  decoder->release();
  scaled = scaler.finish();
  if (scaled->pixels == nullptr) {
    why = "the JPEG data ended early";
    return false;
  }
  return true;
}

std::unique_ptr<Image> onCanvasIfInset(std::unique_ptr<Image> picture, PictureRole role) {
  if (role == PictureRole::panorama) return picture;
  return makeCanvas(userCanvasWidth, userCanvasHeight, *picture);
}

}  // namespace

ScaleWindow fitPicture(PictureRole role, int32_t width, int32_t height) {
  const int64_t w = width, h = height;
  ScaleWindow window;
  if (role == PictureRole::panorama) {
    // Cover the canvas: the side that is relatively shorter fits exactly.
    if (w * userCanvasHeight >= h * userCanvasWidth) {
      window.scaledHeight = userCanvasHeight;
      window.scaledWidth = static_cast<int32_t>((w * userCanvasHeight + h / 2) / h);
    } else {
      window.scaledWidth = userCanvasWidth;
      window.scaledHeight = static_cast<int32_t>((h * userCanvasWidth + w / 2) / w);
    }
    window.width = userCanvasWidth;
    window.height = userCanvasHeight;
    window.cropX = (window.scaledWidth - window.width) / 2;
    window.cropY = (window.scaledHeight - window.height) / 2;
    return window;
  }
  if (width <= insetMaxWidth && height <= insetMaxHeight) {
    window.scaledWidth = width;
    window.scaledHeight = height;
  } else if (w * insetMaxHeight >= h * insetMaxWidth) {
    window.scaledWidth = insetMaxWidth;
    window.scaledHeight = static_cast<int32_t>(std::max<int64_t>(1, (h * insetMaxWidth + w / 2) / w));
  } else {
    window.scaledHeight = insetMaxHeight;
    window.scaledWidth = static_cast<int32_t>(std::max<int64_t>(1, (w * insetMaxHeight + h / 2) / h));
  }
  window.width = window.scaledWidth;
  window.height = window.scaledHeight;
  return window;
}

bool loadUserPicture(const std::string& path, PictureRole role, std::unique_ptr<Image>& slot,
                     std::string& message) {
  std::error_code folderError;
  if (std::filesystem::is_directory(path, folderError)) {
    message = path + ": cannot be read (it is a folder)";
    return false;
  }
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    message = path + ": cannot be read (" + std::strerror(errno) + ")";
    return false;
  }
  int64_t size = -1;
  if (std::fseek(file.get(), 0, SEEK_END) == 0) size = std::ftell(file.get());
  if (size < 0 || std::fseek(file.get(), 0, SEEK_SET) != 0 || std::ferror(file.get())) {
    message = path + ": cannot be read";
    return false;
  }
  if (size > maxUserPictureBytes) {
    message = path + ": the file is " + std::to_string(size) + " bytes, more than the " +
              std::to_string(maxUserPictureBytes / (1024 * 1024)) + " MB allowed";
    return false;
  }
  // Short of memory the user's picture is given up, not the program.
  try {
    std::unique_ptr<Image> scaled;
    std::string why;
    if (!decodeAndScale(file.get(), role, scaled, why)) {
      message = path + ": " + why;
      return false;
    }
    slot = onCanvasIfInset(std::move(scaled), role);
    return true;
  } catch (const std::bad_alloc&) {
    message = path + ": not enough memory to load it";
    return false;
  }
}

std::unique_ptr<Image> placeUserPicture(const Image& picture, PictureRole role) {
  return onCanvasIfInset(scalePicture(picture, fitPicture(role, picture.width, picture.height)), role);
}

std::vector<std::string> loadChosenPictures() {
  std::vector<std::string> messages;
  std::string message;
  if (!userPanoramaPath.empty() &&
      !loadUserPicture(userPanoramaPath, PictureRole::panorama, picture1, message)) {
    messages.push_back(message);
  }
  if (!userInsetPath.empty() && !loadUserPicture(userInsetPath, PictureRole::inset, picture2, message)) {
    messages.push_back(message);
  }
  return messages;
}

}  // namespace lumiscene
