#pragma once
// The bytes of a registry hive that holds nothing but its root key. hivex edits hives but cannot
// start one, so the boot tool starts a new store from these.
//
// The file is a 4096-byte base block ("regf", version 1.5, its checksum) and one 4096-byte bin
// ("hbin") holding the root key node, the security cell the root points to and a free cell for
// the rest of the bin. The security cell matters beyond form: hivex gives every key it adds the
// security cell of its parent and counts the reference in it.

#include <string>

namespace halvora::sim {

// `rootName`: the root key's name, ASCII, at most 255 characters (no reader of a mounted hive
// sees it: the hive is mounted under a name of its own).
std::string emptyRegistryHive(const std::string& rootName);

}  // namespace halvora::sim
