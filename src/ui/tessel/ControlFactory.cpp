#include "ui/tessel/ControlFactory.h"

#include <map>
#include <mutex>

#include "ui/tessel/MControl.h"

namespace Tessel {
namespace {

struct Registry {
  Registry() {
    for (auto& [name, creator] : StandardControls()) creators.emplace(name, std::move(creator));
  }
  std::mutex mutex;
  std::map<std::string, ControlFactory::Creator, std::less<>> creators;
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

}  // namespace

void ControlFactory::Register(std::string className, Creator creator) {
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  registry.creators[std::move(className)] = std::move(creator);
}

std::unique_ptr<MControl> ControlFactory::Create(std::string_view className, MWindow& owner,
                                                 int id) {
  Registry& registry = TheRegistry();
  Creator creator;
  {
    std::lock_guard lock(registry.mutex);
    auto found = registry.creators.find(className);
    if (found == registry.creators.end()) return nullptr;
    creator = found->second;
  }
  return creator(owner, id);
}

std::vector<std::string> ControlFactory::ClassNames() {
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  std::vector<std::string> names;
  for (const auto& entry : registry.creators) names.push_back(entry.first);
  return names;
}

}  // namespace Tessel
