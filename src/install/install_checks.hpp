#pragma once

#include <cstdint>
#include <string>

#include "install/installation_request.hpp"
#include "ui/program_context.hpp"

namespace halvora {

// Whether the requested installation may start: an image file and number, an install location
// that is not the running system, room for the image, every part of a split set, then the
// person's confirmation (counting down when the request is automatic). The chosen rows are read
// again from their volumes on the way, and `request` takes their new state. `note` receives the
// boot-location remarks shown while the apply runs, also when the answer is false.
bool checkBeforeInstall(Program& program, InstallationRequest& request, std::wstring& note);

// A split set with a part missing or not of the set cannot be installed: `refusal` (from
// splitSetRefusal) goes to the status bar and to an error box, and the answer is false. True,
// showing nothing, when the refusal is empty.
bool acceptSplitSet(Program& program, const std::wstring& refusal);

// The decisions of the checks. Each refusal is the status text that explains it, empty when the
// request passes.
std::wstring imageFileRefusal(const InstallationRequest& request, std::int64_t imageFileSize);
std::wstring indexRefusal(const InstallationRequest& request);
std::wstring targetRefusal(const InstallationRequest& request, bool targetExists, const std::wstring& systemDrive);
std::wstring spaceRefusal(const InstallationRequest& request);

// The boot-location remarks: a boot location that is missing, or that does not suit the install
// location's partition style.
std::wstring bootNote(const InstallationRequest& request, bool bootExists);

// The warning about the speed of an installation onto a USB or other external disk, or empty.
std::wstring externalDiskWarning(const ChosenVolume& target);

// The confirmation box's text.
std::wstring confirmationText(const InstallationRequest& request, bool bootExists);

// The confirmation's countdown in seconds (0: none).
int confirmationCountdown(const InstallationRequest& request);

}  // namespace halvora
