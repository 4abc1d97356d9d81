#pragma once
// Process-wide toolkit state: the product name, the skin folder, the backend and the live
// windows.

#include <filesystem>
#include <string>
#include <vector>

namespace Tessel {

class Backend;
class MWindow;

class Manager {
 public:
  // The product name names the main window and everything the application keys by it.
  static void SetDeviceName(std::string name);
  static std::string GetDeviceName();
  static constexpr const char* kDefaultDeviceName = "DeviceDriver";

  // Kept for the entry point's sake; nothing on Linux needs an instance handle.
  static void SetInstance(void* instance);
  static void* GetInstance();

  // Folder of pictures that controls name by relative path (the application folder), and the
  // skin folder under it ("skins/theme1/").
  static void SetResourceFolder(std::filesystem::path folder);
  static std::filesystem::path GetResourceFolder();
  static std::string GetThemeSkins();
  // Resolves a picture name given with backslashes or slashes against the resource folder.
  static std::filesystem::path ResolvePicture(const std::string& name);

  // The backend that shows the model. None is set in unit tests of plain controls.
  static void SetBackend(Backend* backend);
  static Backend* GetBackend();

  // Live windows, for finding a window by its name.
  static void RegisterWindow(MWindow* window);
  static void UnregisterWindow(MWindow* window);
  static MWindow* FindWindow(const std::string& name);
  static std::vector<MWindow*> Windows();
};

}  // namespace Tessel
