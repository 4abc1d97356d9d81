#pragma once
// A small HID report descriptor reader: the top-level collections with their usage and the
// report lengths a HID stack would announce for them. Pure: no I/O.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace platform {

struct HidCollectionInfo {
  std::uint16_t usagePage = 0;
  std::uint16_t usage = 0;
  // Longest report of each kind in bytes, including the report id byte (which is 0 and
  // still counted when the device has no report ids, as hidraw writes need it); 0 when the
  // collection has no report of that kind.
  int inputReportLength = 0;
  int outputReportLength = 0;
  int featureReportLength = 0;
  std::vector<std::uint8_t> reportIds;  // ascending; empty when the device has none
};

class HidReportDescriptor {
 public:
  // Empty when the descriptor is malformed (an item runs past the end, a report id 0, an
  // unbalanced pop, nesting or report sizes beyond what any HID stack accepts).
  static std::optional<HidReportDescriptor> Parse(std::span<const std::uint8_t> bytes);

  const std::vector<HidCollectionInfo>& Collections() const { return collections_; }
  bool UsesReportIds() const { return usesReportIds_; }

  // The longest report of any collection (0 when there is none).
  int MaxInputReportLength() const;
  int MaxOutputReportLength() const;

 private:
  std::vector<HidCollectionInfo> collections_;
  bool usesReportIds_ = false;
};

}  // namespace platform
