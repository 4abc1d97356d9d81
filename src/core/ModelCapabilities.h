#pragma once
// What the selected keyboard model can do, from the catalogue's model number, its layout and
// what the keyboard itself reported. Features ask this instead of knowing model numbers.

#include <mutex>
#include <optional>
#include <vector>

#include "protocol/DeviceInfo.h"

struct KnobKey {
  int position = 0;      // the knob's place in the keyboard view's key list
  int knobModeCode = 0;  // the key code it shows while the knob mode is on
  int keyCode = 0;       // and while it is off
};

// Lights beside and above the keys, lit by the screen-sync stream after the keys: the left
// side's lights from the top down, then the right side's, then the top's from the left.
struct EdgeLights {
  int perSide = 0;
  int top = 0;
  int firstLightIndex = 0;  // the light index of the first left-side light
  // The light index of every edge light, in the order above.
  std::vector<int> LightIndices() const;
  friend bool operator==(const EdgeLights&, const EdgeLights&) = default;
};

struct ModelCapabilities {
  int modelId = 0;
  // A keypad: no lighting, matrix light or screen pages.
  bool keypad = false;
  // The screen can be updated only by cable (its page is hidden through the receiver).
  bool screenByCableOnly = false;
  // Models whose keyboard view shows the knob as a key of its own while the knob mode is on.
  std::optional<KnobKey> knobKey;
  // Side and top lights that follow the screen-sync effect's edges.
  std::optional<EdgeLights> edgeLights;
  // Light zone 2 is a logo (its tab has a title of its own).
  bool logoLightZone = false;
  // The static mode of light zone 2 offers brightness and the colour picker only.
  bool topStaticPickerOnly = false;
  // The keyboard takes the matrix light's animation as a stream of frames.
  bool streamsMatrix = false;

  // The layout's key grid (0 x 0 without a usable layout).
  int gridRows = 0;
  int gridColumns = 0;

  // What the keyboard reported; empty until it has been read.
  std::optional<protocol::DeviceInfo> device;

  bool HasMatrix() const { return device && device->matrix.present; }
  bool HasKnob() const { return device && device->knobPresent; }
  std::optional<int> ProtocolRevision() const;
  // A keyboard whose firmware takes a changed key only with its four whole layers.
  bool WritesKeysAsWholeLayers() const;
  // Whether the main page of an id belongs to this model, connected as `connectionKind`.
  bool ShowsPage(int pageId, int connectionKind) const;
};

// The rules that follow from a model number alone.
ModelCapabilities CapabilitiesOfModel(int modelId);

// The capabilities of the selected model, shared by the UI thread and the worker.
class CurrentModel {
 public:
  ModelCapabilities Get() const;
  // A model became current: its numbers' rules and its layout grid; nothing it reported yet.
  void SetModel(int modelId, int gridRows, int gridColumns);
  // The keyboard of the current model reported what it is.
  void SetDeviceInfo(int modelId, const protocol::DeviceInfo& info);

 private:
  mutable std::mutex mutex_;
  ModelCapabilities capabilities_;
};
