#include "platform/HidReportDescriptor.h"

#include <algorithm>
#include <array>
#include <map>

namespace platform {

namespace {

// Limits well above any real keyboard and within what the Linux HID core accepts.
constexpr std::size_t kMaxPushDepth = 16;
constexpr int kMaxCollectionDepth = 64;
constexpr std::uint64_t kMaxReportBits = 16384ull * 8;

enum ItemType { kMain = 0, kGlobal = 1, kLocal = 2 };
enum MainTag {
  kInput = 0x8,
  kOutput = 0x9,
  kCollection = 0xA,
  kFeature = 0xB,
  kEndCollection = 0xC
};
enum GlobalTag {
  kUsagePage = 0x0,
  kReportSize = 0x7,
  kReportId = 0x8,
  kReportCount = 0x9,
  kPush = 0xA,
  kPop = 0xB
};
enum LocalTag { kUsage = 0x0, kUsageMinimum = 0x1 };
enum ReportKind { kInputReport = 0, kOutputReport = 1, kFeatureReport = 2 };

struct Globals {
  std::uint32_t usagePage = 0;
  std::uint32_t reportSize = 0;
  std::uint32_t reportCount = 0;
  std::uint8_t reportId = 0;
};

struct PendingUsage {
  bool present = false;
  bool extended = false;  // a 4-byte usage carries its own page
  std::uint32_t value = 0;
};

struct CollectionBits {
  HidCollectionInfo info;
  std::array<std::map<std::uint8_t, std::uint64_t>, 3> bits;  // per kind, per report id
};

struct Item {
  int type = 0;
  int tag = 0;
  int dataSize = 0;
  std::uint32_t value = 0;
};

class Parser {
 public:
  explicit Parser(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  bool Run() {
    while (position_ < bytes_.size()) {
      Item item;
      if (!NextItem(item)) return false;
      if (item.type == kMain && !Main(item)) return false;
      if (item.type == kGlobal && !Global(item)) return false;
      if (item.type == kLocal) Local(item);
    }
    return true;
  }

  std::vector<CollectionBits>& Collections() { return collections_; }
  bool UsesReportIds() const { return usesReportIds_; }

 private:
  bool NextItem(Item& item) {
    const std::uint8_t prefix = bytes_[position_];
    if (prefix == 0xFE) {  // long item: skipped, its length still checked
      if (bytes_.size() - position_ < 3) return false;
      const std::size_t length = 3 + bytes_[position_ + 1];
      if (bytes_.size() - position_ < length) return false;
      position_ += length;
      item.type = -1;
      return true;
    }
    item.dataSize = (prefix & 3) == 3 ? 4 : (prefix & 3);
    if (bytes_.size() - position_ < 1 + static_cast<std::size_t>(item.dataSize)) return false;
    for (int i = 0; i < item.dataSize; ++i) {
      item.value |= static_cast<std::uint32_t>(bytes_[position_ + 1 + i]) << (8 * i);
    }
    item.type = (prefix >> 2) & 3;
    item.tag = prefix >> 4;
    position_ += 1 + item.dataSize;
    return true;
  }

  bool Main(const Item& item) {
    bool ok = true;
    switch (item.tag) {
      case kCollection:
        ok = OpenCollection();
        break;
      case kEndCollection:
        ok = depth_ > 0;
        --depth_;
        break;
      case kInput:
        ok = AddReport(kInputReport);
        break;
      case kOutput:
        ok = AddReport(kOutputReport);
        break;
      case kFeature:
        ok = AddReport(kFeatureReport);
        break;
      default:
        break;
    }
    usage_ = PendingUsage{};  // local items end with every main item
    return ok;
  }

  bool OpenCollection() {
    if (depth_ == 0) {
      CollectionBits collection;
      if (usage_.present) {
        const std::uint32_t page = usage_.extended ? usage_.value >> 16 : globals_.usagePage;
        collection.info.usagePage = static_cast<std::uint16_t>(page);
        collection.info.usage = static_cast<std::uint16_t>(usage_.value & 0xFFFF);
      }
      collections_.push_back(std::move(collection));
    }
    return ++depth_ <= kMaxCollectionDepth;
  }

  bool AddReport(ReportKind kind) {
    if (depth_ == 0 || collections_.empty()) return true;  // outside any collection: unused
    const std::uint64_t bits =
        static_cast<std::uint64_t>(globals_.reportSize) * globals_.reportCount;
    std::uint64_t& total = collections_.back().bits[kind][globals_.reportId];
    total += bits;
    return total <= kMaxReportBits;
  }

  bool Global(const Item& item) {
    switch (item.tag) {
      case kUsagePage:
        globals_.usagePage = item.value;
        return true;
      case kReportSize:
        globals_.reportSize = item.value;
        return true;
      case kReportCount:
        globals_.reportCount = item.value;
        return true;
      case kReportId:
        if (item.value == 0 || item.value > 0xFF) return false;
        globals_.reportId = static_cast<std::uint8_t>(item.value);
        usesReportIds_ = true;
        return true;
      case kPush:
        if (stack_.size() >= kMaxPushDepth) return false;
        stack_.push_back(globals_);
        return true;
      case kPop:
        if (stack_.empty()) return false;
        globals_ = stack_.back();
        stack_.pop_back();
        return true;
      default:
        return true;
    }
  }

  void Local(const Item& item) {
    if ((item.tag != kUsage && item.tag != kUsageMinimum) || usage_.present) return;
    usage_.present = true;
    usage_.extended = item.dataSize == 4;
    usage_.value = item.value;
  }

  std::span<const std::uint8_t> bytes_;
  std::size_t position_ = 0;
  Globals globals_;
  std::vector<Globals> stack_;
  PendingUsage usage_;
  int depth_ = 0;
  bool usesReportIds_ = false;
  std::vector<CollectionBits> collections_;
};

int LongestReport(const std::map<std::uint8_t, std::uint64_t>& bitsById) {
  std::uint64_t longest = 0;
  for (const auto& [id, bits] : bitsById) longest = std::max(longest, bits);
  return longest == 0 ? 0 : static_cast<int>((longest + 7) / 8 + 1);
}

}  // namespace

std::optional<HidReportDescriptor> HidReportDescriptor::Parse(std::span<const std::uint8_t> bytes) {
  Parser parser(bytes);
  if (!parser.Run()) return std::nullopt;
  HidReportDescriptor descriptor;
  descriptor.usesReportIds_ = parser.UsesReportIds();
  for (CollectionBits& collection : parser.Collections()) {
    HidCollectionInfo& info = collection.info;
    info.inputReportLength = LongestReport(collection.bits[kInputReport]);
    info.outputReportLength = LongestReport(collection.bits[kOutputReport]);
    info.featureReportLength = LongestReport(collection.bits[kFeatureReport]);
    if (descriptor.usesReportIds_) {
      for (const auto& kind : collection.bits) {
        for (const auto& [id, bits] : kind) {
          if (id != 0) info.reportIds.push_back(id);
        }
      }
      std::sort(info.reportIds.begin(), info.reportIds.end());
      info.reportIds.erase(std::unique(info.reportIds.begin(), info.reportIds.end()),
                           info.reportIds.end());
    }
    descriptor.collections_.push_back(std::move(info));
  }
  return descriptor;
}

int HidReportDescriptor::MaxInputReportLength() const {
  int longest = 0;
  for (const auto& collection : collections_) {
    longest = std::max(longest, collection.inputReportLength);
  }
  return longest;
}

int HidReportDescriptor::MaxOutputReportLength() const {
  int longest = 0;
  for (const auto& collection : collections_) {
    longest = std::max(longest, collection.outputReportLength);
  }
  return longest;
}

}  // namespace platform
