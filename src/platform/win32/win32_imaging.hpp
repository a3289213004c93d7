#pragma once
// wimgapi.dll of System32, loaded at run time so that the program still starts without it.

#include <memory>

#include "platform/imaging.hpp"

namespace halvora::win32 {

std::unique_ptr<ImagingLibrary> openImagingLibrary();

}  // namespace halvora::win32
