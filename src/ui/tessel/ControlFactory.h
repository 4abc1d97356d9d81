#pragma once
// Creates controls by class name, as windows ask for them.

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace Tessel {

class MControl;
class MWindow;

class ControlFactory {
 public:
  using Creator = std::function<std::unique_ptr<MControl>(MWindow& owner, int id)>;

  // Registers (or replaces) the creator of a class name.
  static void Register(std::string className, Creator creator);
  // A new control of the class, or null for an unknown class name.
  static std::unique_ptr<MControl> Create(std::string_view className, MWindow& owner, int id);
  static std::vector<std::string> ClassNames();

  template <class T>
  static Creator CreatorOf() {
    return [](MWindow& owner, int id) -> std::unique_ptr<MControl> {
      return std::make_unique<T>(owner, id);
    };
  }
};

// Every control class of the toolkit with its creator (StandardControls.cpp keeps the list).
std::vector<std::pair<std::string, ControlFactory::Creator>> StandardControls();

}  // namespace Tessel
