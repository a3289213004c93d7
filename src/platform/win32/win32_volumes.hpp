#pragma once
// The volume calls of Windows, passed on as they are.

#include <memory>

#include "platform/volumes.hpp"

namespace halvora::win32 {

std::unique_ptr<Volumes> openVolumes();

}  // namespace halvora::win32
