#pragma once
// The whole state of a simulated keyboard as one JSON object: what it is, how it is connected,
// and every table it keeps, in hexadecimal, so that a test or a person can see exactly what a
// keyboard was sent (`tarvo --virtual-keyboard-command state`).

#include <string>

#include "base/Json.h"
#include "sim/VirtualHidBus.h"

namespace sim {

// Null when the bus has no such keyboard.
base::Json DescribeKeyboard(const VirtualHidBus& bus, KeyboardId keyboard);

// Lower-case hexadecimal, two digits per byte, nothing between them.
std::string HexBytes(std::span<const std::uint8_t> bytes);

// SHA-256 of the bytes, in lower-case hexadecimal.
std::string Sha256Hex(std::span<const std::uint8_t> bytes);

}  // namespace sim
