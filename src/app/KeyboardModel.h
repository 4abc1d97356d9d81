#pragma once
// The keyboard models of "config.xml" and the one that is current: its title, its settings
// database, its layout in both keyboard views and in the lookup tables, and what it can do.

#include <string>

class AppPaths;
class CurrentLayout;
class CurrentModel;
class SettingsStore;
struct DeviceCatalogue;
struct SharedState;
namespace storage {
class SettingsDatabase;
}
namespace Tessel {
class PageHost;
}

class KeyboardModel {
 public:
  KeyboardModel(Tessel::PageHost& host, SharedState& state, const AppPaths& paths,
                SettingsStore& settings, storage::SettingsDatabase& database,
                DeviceCatalogue& catalogue, CurrentLayout& layout, CurrentModel& model);

  // UI thread, once: reads the catalogue, lists its models and makes the stored one current.
  void LoadDeviceCatalogue();
  // Any thread: makes a catalogue model current (a model the catalogue does not list gets no
  // database and no keys).
  void Load(int modelId);

 private:
  void LoadLayout(const std::string& layoutName);

  Tessel::PageHost& host_;
  SharedState& state_;
  const AppPaths& paths_;
  SettingsStore& settings_;
  storage::SettingsDatabase& database_;
  DeviceCatalogue& catalogue_;
  CurrentLayout& layout_;
  CurrentModel& model_;
  std::string windowTitle_;
};
