#pragma once
// Tests build windows and controls of their own, named on the spot: "Button"_c is the name
// "Button". The program itself names its controls only through its list of controls.

#include <cstddef>
#include <string>

#include "platform/control_name.hpp"

namespace halvora::testing_names {

inline ControlName operator""_c(const char* text, std::size_t size) { return ControlName(std::string(text, size)); }

}  // namespace halvora::testing_names
