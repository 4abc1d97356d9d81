#pragma once
// The simulator's own reading of the shipped application folder: the models of config.xml
// and the keys of their layout files. It is independent of the application's catalogue code
// so that the simulator checks the application rather than repeating it.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace sim {

struct CatalogueMode {
  int value = 0;  // 0 cable, 1 receiver, 2 other indirect link
  std::uint16_t vendorId = 0;
  std::uint16_t productId = 0;
  std::string productName;
};

struct CatalogueModel {
  int modelId = 0;
  std::string name;
  std::string layoutName;
  std::vector<CatalogueMode> modes;

  const CatalogueMode* Mode(int value) const;
};

class Catalogue {
 public:
  // Reads "<appFolder>/config.xml"; empty (with a reason in *error) when it cannot.
  static std::optional<Catalogue> Load(const std::filesystem::path& appFolder,
                                       std::string* error = nullptr);

  const std::vector<CatalogueModel>& Models() const { return models_; }
  const CatalogueModel* Find(int modelId) const;

 private:
  std::vector<CatalogueModel> models_;
};

struct LayoutKey {
  int code = 0;
  int keyIndex = -1;    // -1 when the file gives none
  int lightIndex = -1;  // -1 when the file gives none
  std::string name;
};

struct Layout {
  std::vector<LayoutKey> keys;
};

// Reads "<appFolder>/layouts/<layoutName>.xml".
std::optional<Layout> LoadLayout(const std::filesystem::path& appFolder,
                                 const std::string& layoutName, std::string* error = nullptr);

}  // namespace sim
