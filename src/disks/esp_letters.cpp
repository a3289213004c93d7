#include "disks/esp_letters.hpp"

namespace halvora {

// The volume table does not exist yet, so there are no EFI system partitions to letter.
int mountEspVolumes(Program&) { return 0; }
int unmountEspLetters(Program&) { return 0; }

}  // namespace halvora
