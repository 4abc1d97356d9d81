// Feeds arbitrary bytes to the HID report descriptor reader. What it accepts has report lengths
// within what a HID stack accepts and report ids in ascending order; a descriptor without
// report ids is written out again from what was read and must read back the same.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "platform/HidReportDescriptor.h"

namespace {

using fuzz::Require;
using platform::HidCollectionInfo;
using platform::HidReportDescriptor;

// The longest report the reader accepts, with the report id byte.
constexpr int kMaxReportLength = 16384 + 1;

void CheckCollection(const HidCollectionInfo& info, bool usesReportIds) {
  for (const int length :
       {info.inputReportLength, info.outputReportLength, info.featureReportLength}) {
    Require(length == 0 || (length >= 2 && length <= kMaxReportLength),
            "a report holds its id byte and at least one byte, within the limit");
  }
  Require(
      std::is_sorted(info.reportIds.begin(), info.reportIds.end()) &&
          std::adjacent_find(info.reportIds.begin(), info.reportIds.end()) == info.reportIds.end(),
      "report ids ascend without repeats");
  Require(std::find(info.reportIds.begin(), info.reportIds.end(), 0) == info.reportIds.end(),
          "report id 0 is never named");
  if (!usesReportIds) Require(info.reportIds.empty(), "no report ids without their use");
}

void Append(std::vector<std::uint8_t>& out, std::uint8_t prefix, std::uint32_t value) {
  out.push_back(prefix);
  out.push_back(static_cast<std::uint8_t>(value & 0xFF));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

// A report of `length` bytes (with the id byte) as `count` bytes of 8 bits.
void AppendReport(std::vector<std::uint8_t>& out, std::uint8_t mainItem, int length) {
  if (length == 0) return;
  Append(out, 0x76, 8);                                       // Report Size (16-bit)
  Append(out, 0x96, static_cast<std::uint32_t>(length - 1));  // Report Count (16-bit)
  out.push_back(mainItem);
  out.push_back(0x02);
}

std::vector<std::uint8_t> Rewrite(const HidReportDescriptor& descriptor) {
  std::vector<std::uint8_t> out;
  for (const HidCollectionInfo& info : descriptor.Collections()) {
    Append(out, 0x06, info.usagePage);  // Usage Page (16-bit)
    Append(out, 0x0A, info.usage);      // Usage (16-bit)
    out.insert(out.end(), {0xA1, 0x01});
    AppendReport(out, 0x81, info.inputReportLength);
    AppendReport(out, 0x91, info.outputReportLength);
    AppendReport(out, 0xB1, info.featureReportLength);
    out.push_back(0xC0);
  }
  return out;
}

void CheckRewrite(const HidReportDescriptor& descriptor) {
  const auto reread = HidReportDescriptor::Parse(Rewrite(descriptor));
  Require(reread.has_value(), "a rewritten descriptor reads");
  const auto& want = descriptor.Collections();
  const auto& got = reread->Collections();
  Require(got.size() == want.size(), "the collections read back");
  for (std::size_t i = 0; i < got.size(); ++i) {
    Require(got[i].usagePage == want[i].usagePage && got[i].usage == want[i].usage,
            "a collection's usage reads back");
    Require(got[i].inputReportLength == want[i].inputReportLength &&
                got[i].outputReportLength == want[i].outputReportLength &&
                got[i].featureReportLength == want[i].featureReportLength,
            "a collection's report lengths read back");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto descriptor = HidReportDescriptor::Parse({data, size});
  if (!descriptor) return 0;
  int longestInput = 0;
  int longestOutput = 0;
  for (const HidCollectionInfo& info : descriptor->Collections()) {
    CheckCollection(info, descriptor->UsesReportIds());
    longestInput = std::max(longestInput, info.inputReportLength);
    longestOutput = std::max(longestOutput, info.outputReportLength);
  }
  Require(descriptor->MaxInputReportLength() == longestInput &&
              descriptor->MaxOutputReportLength() == longestOutput,
          "the longest report is the longest of any collection");
  if (!descriptor->UsesReportIds()) CheckRewrite(*descriptor);
  return 0;
}
