// Names of the decoder's failure codes, for tools that print them.
#include "jpeg/jpeg_error.h"

namespace lumiscene {

const char* jpegErrorName(int32_t code) {
  switch (code) {
    case HuffmanCountOverflow:
      return "HuffmanCountOverflow";
    case HuffmanSlotInvalid:
      return "HuffmanSlotInvalid";
    case HuffmanSegmentBad:
      return "HuffmanSegmentBad";
    case QuantSegmentBad:
      return "QuantSegmentBad";
    case QuantTableIdInvalid:
      return "QuantTableIdInvalid";
    case PrecisionNot8:
      return "PrecisionNot8";
    case HeightInvalid:
      return "HeightInvalid";
    case WidthInvalid:
      return "WidthInvalid";
    case TooManyComponents:
      return "TooManyComponents";
    case FrameSegmentBad:
      return "FrameSegmentBad";
    case SegmentLengthBad:
      return "SegmentLengthBad";
    case RestartSegmentBad:
      return "RestartSegmentBad";
    case ScanSegmentBad:
      return "ScanSegmentBad";
    case ScanComponentUnknown:
      return "ScanComponentUnknown";
    case ArithmeticCoding:
      return "ArithmeticCoding";
    case MarkerOutOfPlace:
      return "MarkerOutOfPlace";
    case NoStartOfImage:
      return "NoStartOfImage";
    case UnsupportedFrame:
      return "UnsupportedFrame";
    case QuantSegmentShort:
      return "QuantSegmentShort";
    case OutOfSlots:
      return "OutOfSlots";
    case QuantTableMissing:
      return "QuantTableMissing";
    case HuffmanTableMissing:
      return "HuffmanTableMissing";
    case ComponentCountUnsupported:
      return "ComponentCountUnsupported";
    case SamplingUnsupported:
      return "SamplingUnsupported";
    case CoefficientOverrun:
      return "CoefficientOverrun";
    case RestartSequenceBroken:
      return "RestartSequenceBroken";
    case BlockIndexOutOfRange:
      return "BlockIndexOutOfRange";
    case ScanParametersBad:
      return "ScanParametersBad";
    case ApproximationBad:
      return "ApproximationBad";
    case SourceReadFailed:
      return "SourceReadFailed";
    case OutOfMemory:
      return "OutOfMemory";
  }
  return nullptr;
}

}  // namespace lumiscene
