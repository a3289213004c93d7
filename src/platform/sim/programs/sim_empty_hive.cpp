#include "platform/sim/programs/sim_empty_hive.hpp"

#include <chrono>
#include <cstdint>
#include <vector>

#include "base/little_endian.hpp"

namespace halvora::sim {

namespace {

constexpr std::size_t kBaseBlockSize = 0x1000;
constexpr std::size_t kBinSize = 0x1000;
constexpr std::size_t kBinHeaderSize = 0x20;
constexpr std::size_t kChecksumOffset = 0x1FC;

// Key node flags: the hive's entry key, which cannot be deleted, with a name stored in ASCII.
constexpr std::uint16_t kKeyHiveEntry = 0x0004;
constexpr std::uint16_t kKeyNoDelete = 0x0008;
constexpr std::uint16_t kKeyCompressedName = 0x0020;
constexpr std::uint32_t kNone = 0xFFFFFFFF;  // an offset that points at no cell
constexpr std::size_t kKeyNodeNameOffset = 0x4C;

using Bytes = std::vector<std::uint8_t>;

void appendLe16(Bytes& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void appendLe32(Bytes& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// A SID of the NT authority (S-1-5-...) with the given sub-authorities.
Bytes ntAuthoritySid(std::initializer_list<std::uint32_t> subAuthorities) {
    Bytes sid{1, static_cast<std::uint8_t>(subAuthorities.size()), 0, 0, 0, 0, 0, 5};
    for (const std::uint32_t value : subAuthorities) appendLe32(sid, value);
    return sid;
}

// ACCESS_ALLOWED_ACE giving KEY_ALL_ACCESS, inherited by the keys below.
Bytes fullAccessAce(const Bytes& sid) {
    Bytes ace{0 /*ACCESS_ALLOWED_ACE_TYPE*/, 0x02 /*CONTAINER_INHERIT_ACE*/};
    appendLe16(ace, static_cast<std::uint16_t>(8 + sid.size()));
    appendLe32(ace, 0x000F003F);  // KEY_ALL_ACCESS
    ace.insert(ace.end(), sid.begin(), sid.end());
    return ace;
}

// A self-relative security descriptor: owned by the administrators, group SYSTEM, and a
// discretionary list that gives both of them full control.
Bytes securityDescriptor() {
    const Bytes administrators = ntAuthoritySid({32, 544});
    const Bytes system = ntAuthoritySid({18});
    Bytes acl{2 /*ACL_REVISION*/, 0};
    const Bytes first = fullAccessAce(administrators);
    const Bytes second = fullAccessAce(system);
    appendLe16(acl, static_cast<std::uint16_t>(8 + first.size() + second.size()));
    appendLe16(acl, 2);  // ACEs
    appendLe16(acl, 0);
    acl.insert(acl.end(), first.begin(), first.end());
    acl.insert(acl.end(), second.begin(), second.end());

    constexpr std::uint32_t kHeaderSize = 20;
    const auto daclOffset = kHeaderSize;
    const auto ownerOffset = static_cast<std::uint32_t>(daclOffset + acl.size());
    const auto groupOffset = static_cast<std::uint32_t>(ownerOffset + administrators.size());
    Bytes sd{1 /*SECURITY_DESCRIPTOR_REVISION*/, 0};
    appendLe16(sd, 0x8004);  // SE_SELF_RELATIVE | SE_DACL_PRESENT
    appendLe32(sd, ownerOffset);
    appendLe32(sd, groupOffset);
    appendLe32(sd, 0);  // no SACL
    appendLe32(sd, daclOffset);
    sd.insert(sd.end(), acl.begin(), acl.end());
    sd.insert(sd.end(), administrators.begin(), administrators.end());
    sd.insert(sd.end(), system.begin(), system.end());
    return sd;
}

// Cells are multiples of 8 bytes, their size field included.
std::size_t cellSize(std::size_t contentSize) { return (4 + contentSize + 7) / 8 * 8; }

// A FILETIME of now: 100-nanosecond steps since 1601.
std::uint64_t fileTimeNow() {
    constexpr std::uint64_t kUnixEpochAsFileTime = 116444736000000000ull;
    const auto sinceUnixEpoch = std::chrono::system_clock::now().time_since_epoch();
    return kUnixEpochAsFileTime +
           static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(sinceUnixEpoch).count() /
                                      100);
}

// The XOR of the base block's first 127 double words.
std::uint32_t baseBlockChecksum(const std::uint8_t* block) {
    std::uint32_t sum = 0;
    for (std::size_t at = 0; at < kChecksumOffset; at += 4) sum ^= readLe32(block + at);
    return sum;
}

}  // namespace

std::string emptyRegistryHive(const std::string& name) {
    const std::string rootName = name.substr(0, 255);
    std::vector<std::uint8_t> file(kBaseBlockSize + kBinSize, 0);
    std::uint8_t* const base = file.data();
    std::uint8_t* const bin = base + kBaseBlockSize;

    // The bin: its header, then cells at offsets counted from the bin's start.
    std::copy_n("hbin", 4, bin);
    writeLe32(bin + 0x04, 0);  // its offset among the bins
    writeLe32(bin + 0x08, kBinSize);

    const std::size_t rootOffset = kBinHeaderSize;
    const std::size_t rootSize = cellSize(kKeyNodeNameOffset + rootName.size());
    const Bytes descriptor = securityDescriptor();
    const std::size_t securityOffset = rootOffset + rootSize;
    const std::size_t securitySize = cellSize(0x14 + descriptor.size());
    const std::size_t freeOffset = securityOffset + securitySize;

    // The root key node: no subkeys, no values, no class name.
    std::uint8_t* const root = bin + rootOffset;
    writeLe32(root, static_cast<std::uint32_t>(-static_cast<std::int32_t>(rootSize)));  // negative: in use
    std::uint8_t* const nk = root + 4;
    std::copy_n("nk", 2, nk);
    writeLe16(nk + 0x02, kKeyHiveEntry | kKeyNoDelete | kKeyCompressedName);
    writeLe64(nk + 0x04, fileTimeNow());
    writeLe32(nk + 0x10, kNone);  // parent: the hive's entry key has none inside the hive
    writeLe32(nk + 0x1C, kNone);  // subkey list
    writeLe32(nk + 0x20, kNone);  // volatile subkey list
    writeLe32(nk + 0x28, kNone);  // value list
    writeLe32(nk + 0x2C, static_cast<std::uint32_t>(securityOffset));
    writeLe32(nk + 0x30, kNone);  // class name
    writeLe16(nk + 0x48, static_cast<std::uint16_t>(rootName.size()));
    std::copy(rootName.begin(), rootName.end(), nk + kKeyNodeNameOffset);

    // The security cell: alone in its list, so it links to itself both ways; the root uses it.
    std::uint8_t* const security = bin + securityOffset;
    writeLe32(security, static_cast<std::uint32_t>(-static_cast<std::int32_t>(securitySize)));
    std::uint8_t* const sk = security + 4;
    std::copy_n("sk", 2, sk);
    writeLe32(sk + 0x04, static_cast<std::uint32_t>(securityOffset));
    writeLe32(sk + 0x08, static_cast<std::uint32_t>(securityOffset));
    writeLe32(sk + 0x0C, 1);  // references
    writeLe32(sk + 0x10, static_cast<std::uint32_t>(descriptor.size()));
    std::copy(descriptor.begin(), descriptor.end(), sk + 0x14);

    // The rest of the bin is one free cell (positive size).
    writeLe32(bin + freeOffset, static_cast<std::uint32_t>(kBinSize - freeOffset));

    // The base block. Equal sequence numbers: the hive was written whole, nothing is pending.
    std::copy_n("regf", 4, base);
    writeLe32(base + 0x04, 1);
    writeLe32(base + 0x08, 1);
    writeLe32(base + 0x14, 1);  // major version
    writeLe32(base + 0x18, 5);  // minor version: 5 knows the "lh" subkey lists hivex writes
    writeLe32(base + 0x1C, 0);  // a primary file
    writeLe32(base + 0x20, 1);  // laid out as in memory
    writeLe32(base + 0x24, static_cast<std::uint32_t>(rootOffset));
    writeLe32(base + 0x28, kBinSize);  // the bins' total size
    writeLe32(base + 0x2C, 1);         // clustering factor
    // Windows takes a checksum of 0 or 0xFFFFFFFF as a damaged block and stores another value
    // there, which readers that only compute the XOR (hivex) would refuse: move the write time
    // until the sum is neither.
    std::uint64_t written = fileTimeNow();
    do {
        writeLe64(base + 0x0C, written++);
        writeLe32(base + kChecksumOffset, baseBlockChecksum(base));
    } while (readLe32(base + kChecksumOffset) == 0 || readLe32(base + kChecksumOffset) == 0xFFFFFFFF);
    return std::string(file.begin(), file.end());
}

}  // namespace halvora::sim
