#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "platform/HidReportDescriptor.h"

namespace platform {
namespace {

template <class Case>
requires requires(const Case& test) {
  test.name;
}
void PrintTo(const Case& test, std::ostream* out) {
  *out << test.name;
}

using Bytes = std::vector<std::uint8_t>;

// clang-format off
// The keyboard's command interface: vendor page 0xFF60, usage 0x61, 64-byte reports.
const Bytes kVendor64 = {
    0x06, 0x60, 0xFF,                    // Usage Page (0xFF60)
    0x09, 0x61,                          // Usage (0x61)
    0xA1, 0x01,                          // Collection (Application)
    0x09, 0x62, 0x15, 0x00, 0x26, 0xFF, 0x00,  // Usage, Logical Minimum 0, Maximum 255
    0x95, 0x40, 0x75, 0x08, 0x81, 0x02,  //   64 x 8 bits Input (Data, Variable, Absolute)
    0x09, 0x63, 0x15, 0x00, 0x26, 0xFF, 0x00,
    0x95, 0x40, 0x75, 0x08, 0x91, 0x02,  //   64 x 8 bits Output
    0xC0,                                // End Collection
};

// The receiver's command interface: the same with 32-byte reports.
const Bytes kReceiver32 = {
    0x06, 0x60, 0xFF, 0x09, 0x61, 0xA1, 0x01,
    0x09, 0x62, 0x15, 0x00, 0x26, 0xFF, 0x00, 0x95, 0x20, 0x75, 0x08, 0x81, 0x02,
    0x09, 0x63, 0x15, 0x00, 0x26, 0xFF, 0x00, 0x95, 0x20, 0x75, 0x08, 0x91, 0x02,
    0xC0,
};

// The boot keyboard of the HID class definition.
const Bytes kBootKeyboard = {
    0x05, 0x01, 0x09, 0x06, 0xA1, 0x01,  // Generic Desktop, Keyboard, Collection (Application)
    0x05, 0x07, 0x19, 0xE0, 0x29, 0xE7, 0x15, 0x00, 0x25, 0x01,
    0x75, 0x01, 0x95, 0x08, 0x81, 0x02,  // modifiers: 8 x 1 bit
    0x95, 0x01, 0x75, 0x08, 0x81, 0x01,  // reserved byte
    0x95, 0x05, 0x75, 0x01, 0x05, 0x08, 0x19, 0x01, 0x29, 0x05, 0x91, 0x02,  // five LEDs
    0x95, 0x01, 0x75, 0x03, 0x91, 0x01,  // LED padding
    0x95, 0x06, 0x75, 0x08, 0x15, 0x00, 0x25, 0x65, 0x05, 0x07, 0x19, 0x00, 0x29, 0x65,
    0x81, 0x00,                          // six key codes
    0xC0,
};

// A composite interface: keyboard (id 1), consumer control (2), system control (3), a mouse
// with a nested physical collection (4) and a vendor collection (5) whose feature report is
// declared between Push and Pop.
const Bytes kComposite = {
    // keyboard, report id 1
    0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x85, 0x01,
    0x05, 0x07, 0x19, 0xE0, 0x29, 0xE7, 0x15, 0x00, 0x25, 0x01, 0x75, 0x01, 0x95, 0x08, 0x81, 0x02,
    0x95, 0x01, 0x75, 0x08, 0x81, 0x01,
    0x95, 0x05, 0x75, 0x01, 0x05, 0x08, 0x19, 0x01, 0x29, 0x05, 0x91, 0x02,
    0x95, 0x01, 0x75, 0x03, 0x91, 0x01,
    0x95, 0x06, 0x75, 0x08, 0x15, 0x00, 0x26, 0xFF, 0x00, 0x05, 0x07, 0x19, 0x00, 0x2A, 0xFF, 0x00,
    0x81, 0x00, 0xC0,
    // consumer control, report id 2: one 16-bit usage
    0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x02,
    0x15, 0x00, 0x26, 0xFF, 0x03, 0x19, 0x00, 0x2A, 0xFF, 0x03, 0x75, 0x10, 0x95, 0x01, 0x81, 0x00,
    0xC0,
    // system control, report id 3: three bits and padding
    0x05, 0x01, 0x09, 0x80, 0xA1, 0x01, 0x85, 0x03,
    0x19, 0x81, 0x29, 0x83, 0x15, 0x00, 0x25, 0x01, 0x75, 0x01, 0x95, 0x03, 0x81, 0x02,
    0x95, 0x05, 0x81, 0x01, 0xC0,
    // mouse, report id 4: five buttons, padding, 16-bit X and Y, 8-bit wheel
    0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x85, 0x04, 0x09, 0x01, 0xA1, 0x00,
    0x05, 0x09, 0x19, 0x01, 0x29, 0x05, 0x15, 0x00, 0x25, 0x01, 0x95, 0x05, 0x75, 0x01, 0x81, 0x02,
    0x95, 0x01, 0x75, 0x03, 0x81, 0x01,
    0x05, 0x01, 0x09, 0x30, 0x09, 0x31, 0x16, 0x01, 0x80, 0x26, 0xFF, 0x7F, 0x75, 0x10, 0x95, 0x02,
    0x81, 0x06,
    0x09, 0x38, 0x15, 0x81, 0x25, 0x7F, 0x75, 0x08, 0x95, 0x01, 0x81, 0x06, 0xC0, 0xC0,
    // vendor, report id 5: a 32-byte feature report inside Push/Pop, then 63 input bytes
    0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x05,
    0xA4, 0x75, 0x08, 0x95, 0x20, 0x09, 0x02, 0xB1, 0x02, 0xB4,
    0x09, 0x03, 0x75, 0x08, 0x95, 0x3F, 0x81, 0x02, 0xC0,
};
// clang-format on

struct ExpectedCollection {
  std::uint16_t usagePage;
  std::uint16_t usage;
  int input;
  int output;
  int feature;
  std::vector<std::uint8_t> reportIds;
};

struct DescriptorCase {
  std::string name;
  Bytes bytes;
  bool usesReportIds;
  std::vector<ExpectedCollection> collections;
};

class RealDescriptors : public ::testing::TestWithParam<DescriptorCase> {};

TEST_P(RealDescriptors, YieldTheirCollectionsAndReportLengths) {
  const DescriptorCase& test = GetParam();
  const auto descriptor = HidReportDescriptor::Parse(test.bytes);
  ASSERT_TRUE(descriptor.has_value());
  EXPECT_EQ(descriptor->UsesReportIds(), test.usesReportIds);
  ASSERT_EQ(descriptor->Collections().size(), test.collections.size());
  for (std::size_t i = 0; i < test.collections.size(); ++i) {
    SCOPED_TRACE("collection " + std::to_string(i));
    const HidCollectionInfo& got = descriptor->Collections()[i];
    const ExpectedCollection& want = test.collections[i];
    EXPECT_EQ(got.usagePage, want.usagePage);
    EXPECT_EQ(got.usage, want.usage);
    EXPECT_EQ(got.inputReportLength, want.input);
    EXPECT_EQ(got.outputReportLength, want.output);
    EXPECT_EQ(got.featureReportLength, want.feature);
    EXPECT_EQ(got.reportIds, want.reportIds);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Descriptors, RealDescriptors,
    ::testing::Values(
        DescriptorCase{"Vendor64", kVendor64, false, {{0xFF60, 0x61, 65, 65, 0, {}}}},
        DescriptorCase{"Receiver32", kReceiver32, false, {{0xFF60, 0x61, 33, 33, 0, {}}}},
        DescriptorCase{"BootKeyboard", kBootKeyboard, false, {{0x01, 0x06, 9, 2, 0, {}}}},
        DescriptorCase{"Composite",
                       kComposite,
                       true,
                       {{0x01, 0x06, 9, 2, 0, {1}},
                        {0x0C, 0x01, 3, 0, 0, {2}},
                        {0x01, 0x80, 2, 0, 0, {3}},
                        {0x01, 0x02, 7, 0, 0, {4}},
                        {0xFF00, 0x01, 64, 0, 33, {5}}}}),
    [](const auto& info) { return info.param.name; });

TEST(HidReportDescriptor, MaximaCoverAllCollections) {
  const auto descriptor = HidReportDescriptor::Parse(kComposite);
  ASSERT_TRUE(descriptor.has_value());
  EXPECT_EQ(descriptor->MaxInputReportLength(), 64);
  EXPECT_EQ(descriptor->MaxOutputReportLength(), 2);
}

TEST(HidReportDescriptor, ExtendedUsageCarriesItsOwnPage) {
  Bytes bytes = kVendor64;
  // Usage Page (Generic Desktop) then a 4-byte usage 0xFF60:0061 in place of the first two items.
  bytes.erase(bytes.begin(), bytes.begin() + 5);
  const Bytes prefix = {0x05, 0x01, 0x0B, 0x61, 0x00, 0x60, 0xFF};
  bytes.insert(bytes.begin(), prefix.begin(), prefix.end());
  const auto descriptor = HidReportDescriptor::Parse(bytes);
  ASSERT_TRUE(descriptor.has_value());
  ASSERT_EQ(descriptor->Collections().size(), 1u);
  EXPECT_EQ(descriptor->Collections()[0].usagePage, 0xFF60);
  EXPECT_EQ(descriptor->Collections()[0].usage, 0x61);
}

TEST(HidReportDescriptor, LongItemsAreSkipped) {
  Bytes bytes = {0xFE, 0x02, 0x10, 0xAA, 0xBB};
  bytes.insert(bytes.end(), kReceiver32.begin(), kReceiver32.end());
  const auto descriptor = HidReportDescriptor::Parse(bytes);
  ASSERT_TRUE(descriptor.has_value());
  EXPECT_EQ(descriptor->MaxInputReportLength(), 33);
}

TEST(HidReportDescriptor, EmptyDescriptorHasNoCollections) {
  const auto descriptor = HidReportDescriptor::Parse(Bytes{});
  ASSERT_TRUE(descriptor.has_value());
  EXPECT_TRUE(descriptor->Collections().empty());
  EXPECT_EQ(descriptor->MaxInputReportLength(), 0);
}

struct MalformedCase {
  std::string name;
  Bytes bytes;
};

class MalformedDescriptors : public ::testing::TestWithParam<MalformedCase> {};

TEST_P(MalformedDescriptors, AreRejected) {
  EXPECT_FALSE(HidReportDescriptor::Parse(GetParam().bytes).has_value());
}

Bytes Truncated(const Bytes& bytes, std::size_t cut) {
  return Bytes(bytes.begin(), bytes.end() - cut);
}

INSTANTIATE_TEST_SUITE_P(
    Descriptors, MalformedDescriptors,
    ::testing::Values(
        // the final Logical Maximum of the output part loses its second data byte
        MalformedCase{"TruncatedItem", Truncated(kVendor64, 8)},
        MalformedCase{"TruncatedLongItem", {0xFE, 0x05, 0x10, 0x01}},
        MalformedCase{"ReportIdZero", {0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x85, 0x00, 0xC0}},
        MalformedCase{"PopWithoutPush", {0x05, 0x01, 0xB4}},
        MalformedCase{"EndWithoutCollection", {0xC0}},
        // 255-bit fields, 65535 of them: far beyond any report a HID stack takes
        MalformedCase{"HugeReport",
                      {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x75, 0xFF, 0x96, 0xFF, 0xFF, 0x81,
                       0x02, 0xC0}},
        MalformedCase{"DeepNesting", Bytes(200, 0xA1)}),
    [](const auto& info) { return info.param.name; });

TEST(HidReportDescriptor, PushStackIsBounded) {
  Bytes bytes(40, 0xA4);  // 40 pushes
  EXPECT_FALSE(HidReportDescriptor::Parse(bytes).has_value());
}

}  // namespace
}  // namespace platform
