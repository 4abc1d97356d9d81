#pragma once
// The catalogue of keyboard models read from "config.xml": the models, the ways each shows up
// on the link (cable, receiver), their pictures and layout names, and the product's web
// addresses.

#include <filesystem>
#include <string>
#include <vector>

// One "keyboard" element.
struct KeyboardModelRecord {
  std::string name;
  int modelId = 0;
  std::string layoutName;
  std::string connectedPicture;  // absolute path under the application folder's "device"
  std::string disconnectedPicture;
};

// Connection modes of a model.
enum ConnectionMode : int {
  kModeCable = 0,
  kModeReceiver = 1,
  kModeIndirect = 2,
};

// One "mode" element, with what it inherits from its model.
struct ConnectionModeRecord {
  int modelId = 0;
  std::string layoutName;
  std::string connectedPicture;
  std::string disconnectedPicture;
  std::string productName;  // HID product string to require; empty means any
  int mode = 0;
  std::string description;
  int vendorId = 0;
  int productId = 0;
  std::string interfacePattern;  // text the upper-case interface path must contain
  int present = 0;               // 1 when the last enumeration found the mode
};

// The "software" element: the version and the web addresses (empty when missing).
struct SoftwareInfo {
  std::string version;
  std::string website;
  std::string feedback;
  std::string faqs;
  std::string store;
  std::string upgrade;
};

struct DeviceCatalogue {
  bool loaded = false;  // the file was read and has a "config" root
  std::vector<KeyboardModelRecord> models;
  std::vector<ConnectionModeRecord> modes;
  std::string defaultLanguage;
  bool hasSoftware = false;
  SoftwareInfo software;

  // The first model with the id, or null.
  const KeyboardModelRecord* FindModel(int modelId) const;
};

// Reads "<appFolder>/config.xml". Numbers are read leniently (decimal by the text-to-integer
// rule, "vid" and "pid" as hexadecimal digits without prefix); a missing attribute is empty.
DeviceCatalogue ReadDeviceCatalogue(const std::filesystem::path& appFolder);

// A picture path of the catalogue: "<appFolder>/device/<value>", backslashes in the value
// taken as folder separators. The value is appended as text: one that starts with a separator
// still names a file under "device".
std::string DevicePicturePath(const std::filesystem::path& appFolder, const std::string& value);
