// Feeds arbitrary bytes to the command socket as what a client sends, and each line of them to
// the virtual keyboard's control commands. The socket hands its handler exactly the first line
// (when one ends within the size limit) and the client exactly the handler's answer; a control
// command either answers "ok" and did what it says, or answers with an error.

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Text.h"
#include "fuzz/FuzzSupport.h"
#include "platform/CommandSocket.h"
#include "platform/UniqueFd.h"
#include "sim/VirtualKeyboard.h"

namespace {

using fuzz::Require;
namespace fs = std::filesystem;

constexpr std::size_t kMaxInput = 4096;
constexpr std::size_t kMaxLines = 16;

struct Keyboard {
  sim::KeyboardHardware hardware;
  sim::KeyboardState state;
};

// Two keyboards of the shipped catalogue, read once: model 101 and model 103.
const std::vector<Keyboard>& Prototypes() {
  static const std::vector<Keyboard> keyboards = [] {
    sim::VirtualHidBus bus;
    std::vector<Keyboard> made;
    for (const int model : {101, 103}) {
      const auto id = sim::AddCatalogueKeyboard(bus, fs::path(TARVO_SOURCE_DIR) / "data", model);
      Require(id.has_value(), "the shipped catalogue gives the keyboard");
      made.push_back({*bus.Hardware(*id), *bus.State(*id)});
    }
    return made;
  }();
  return keyboards;
}

// The socket's handler runs the control commands on the bus of the current input.
struct Served {
  std::mutex mutex;
  sim::VirtualHidBus* bus = nullptr;
  std::optional<std::string> command;
  std::string answer;
};

Served& State() {
  static Served served;
  return served;
}

const fs::path& SocketPath() {
  static const fs::path path = fuzz::ScratchFolder() / "control.sock";
  static const auto socket = platform::CommandSocket::Listen(path, [](const std::string& command) {
    Served& served = State();
    std::lock_guard lock(served.mutex);
    served.command = command;
    served.answer = sim::RunControlCommand(*served.bus, command);
    return served.answer;
  });
  Require(socket != nullptr, "the socket listens");
  return path;
}

// Sends the bytes as they are, ends the writing side and reads the answer to its end.
std::string Exchange(std::string_view bytes) {
  const fs::path& path = SocketPath();
  platform::UniqueFd client(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, path.c_str(), path.string().size() + 1);
  Require(::connect(client.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0,
          "the client connects");
  // The server reads at most a line's worth, so a long input may not be taken whole.
  [[maybe_unused]] const ssize_t sent =
      ::send(client.Get(), bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
  ::shutdown(client.Get(), SHUT_WR);
  std::string answer;
  char buffer[4096];
  while (true) {
    pollfd wait{client.Get(), POLLIN, 0};
    const int ready = ::poll(&wait, 1, 10000);
    if (ready < 0 && errno == EINTR) continue;  // the fuzzer's own timer
    Require(ready == 1, "the server answers or closes in time");
    const ssize_t got = ::read(client.Get(), buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    answer.append(buffer, static_cast<std::size_t>(got));
  }
  return answer;
}

void CheckSocket(sim::VirtualHidBus& bus, std::string_view input) {
  Served& served = State();
  {
    std::lock_guard lock(served.mutex);
    served.bus = &bus;
    served.command.reset();
  }
  const std::string answer = Exchange(input);
  std::lock_guard lock(served.mutex);
  // The request is the first line, or everything the client wrote when it ends without one.
  std::string_view line = input.substr(0, input.find('\n'));
  const bool tooLong = line.size() > platform::CommandSocket::kMaxRequest;
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (tooLong || line.empty() || line.find('\0') != std::string_view::npos) {
    Require(!served.command && answer.starts_with("error: "), "a malformed request, an error");
    return;
  }
  Require(served.command == line, "the handler gets the first line");
  const bool ended = !served.answer.empty() && served.answer.back() == '\n';
  Require(answer == served.answer + (ended ? "" : "\n"), "the client gets the answer");
}

std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  while (!line.empty()) {
    const std::size_t begin = line.find_first_not_of(" \t\r\n");
    if (begin == std::string_view::npos) break;
    line.remove_prefix(begin);
    const std::size_t end = std::min(line.find_first_of(" \t\r\n"), line.size());
    words.push_back(line.substr(0, end));
    line.remove_prefix(end);
  }
  return words;
}

// The keyboard a command names with a trailing "kbN", else the first one.
sim::KeyboardId Target(const sim::VirtualHidBus& bus, std::vector<std::string_view>& words) {
  if (words.size() > 1 && words.back().starts_with("kb")) {
    const sim::KeyboardId id = base::ToInt(words.back().substr(2));
    words.pop_back();
    return id;
  }
  return bus.Keyboards().front();
}

// What an accepted command must have done.
void CheckEffect(sim::VirtualHidBus& bus, std::string_view line) {
  std::vector<std::string_view> words = Words(line);
  const std::string_view verb = words.front();
  const sim::KeyboardId id = Target(bus, words);
  if (verb == "sleep" || verb == "wake") {
    Require(bus.IsAsleep(id) == (verb == "sleep"), "sleep and wake are done");
  } else if (verb == "plug" || verb == "unplug") {
    const sim::Link link = words[1] == "cable" ? sim::Link::kCable : sim::Link::kReceiver;
    Require(bus.IsPlugged(id, link) == (verb == "plug"), "plugging is done");
  } else if (verb == "battery") {
    const auto state = bus.State(id);
    Require(state && state->batteryLevel == base::ToInt(words[1]) && state->batteryLevel <= 100,
            "the battery level is set, within 0 to 100");
  }
}

void CheckControl(sim::VirtualHidBus& bus, std::string_view input) {
  std::size_t lines = 0;
  while (!input.empty() && lines++ < kMaxLines) {
    const std::size_t end = input.find('\n');
    const std::string_view line = input.substr(0, end);
    input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
    const std::string answer = sim::RunControlCommand(bus, line);
    const std::vector<std::string_view> words = Words(line);
    const bool listing = !words.empty() && (words[0] == "list" || words[0] == "log");
    if (answer == "ok") {
      CheckEffect(bus, line);
    } else if (!listing) {
      Require(answer.starts_with("error: "), "a command answers ok or with an error");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > kMaxInput) return 0;
  const std::string_view input = fuzz::AsText({data, size});
  sim::VirtualHidBus bus;
  for (const Keyboard& keyboard : Prototypes()) bus.AddKeyboard(keyboard.hardware, keyboard.state);
  bus.PlugCable(bus.Keyboards().front());
  CheckSocket(bus, input);
  CheckControl(bus, input);
  return 0;
}
