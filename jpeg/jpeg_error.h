// The decoder's failure codes. The decoder has no messages: a negative JpegError
// recorded in JpegDecoder::errorCode is all it reports about a failed decoding.
#pragma once

#include <cstdint>

namespace lumiscene {

enum JpegError : int32_t {
  HuffmanCountOverflow = -200,
  HuffmanSlotInvalid = -201,
  HuffmanSegmentBad = -202,
  QuantSegmentBad = -203,
  QuantTableIdInvalid = -204,
  PrecisionNot8 = -205,
  HeightInvalid = -206,
  WidthInvalid = -207,
  TooManyComponents = -208,
  FrameSegmentBad = -209,
  SegmentLengthBad = -210,
  RestartSegmentBad = -211,
  ScanSegmentBad = -212,
  ScanComponentUnknown = -213,
  ArithmeticCoding = -215,
  MarkerOutOfPlace = -216,
  NoStartOfImage = -217,
  UnsupportedFrame = -218,
  QuantSegmentShort = -219,
  OutOfSlots = -221,
  QuantTableMissing = -222,
  HuffmanTableMissing = -223,
  ComponentCountUnsupported = -225,
  SamplingUnsupported = -226,
  CoefficientOverrun = -227,
  RestartSequenceBroken = -228,
  BlockIndexOutOfRange = -229,
  ScanParametersBad = -230,
  ApproximationBad = -231,
  SourceReadFailed = -232,
  OutOfMemory = -233,
};

// The enumerator's name for a code ("ArithmeticCoding"), or nullptr when the code is
// not one the decoder reports (including 0 and the unused -214, -220, -224).
const char* jpegErrorName(int32_t code);

}  // namespace lumiscene
