#include "platform/sim/real/sim_partition_table.hpp"

#include <blkid/blkid.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "base/utf.hpp"

namespace halvora::sim {

namespace {

struct ProbeCloser {
    void operator()(blkid_struct_probe* probe) const { blkid_free_probe(probe); }
};
using Probe = std::unique_ptr<blkid_struct_probe, ProbeCloser>;

constexpr std::uint64_t kSector = 512;  // libblkid gives partition places in 512-byte sectors

std::optional<Guid> guidOf(const char* text) {
    if (!text) return std::nullopt;
    return parseGuid("{" + std::string(text) + "}");
}

std::string probeValue(blkid_probe probe, const char* name) {
    const char* data = nullptr;
    std::size_t length = 0;
    if (blkid_probe_lookup_value(probe, name, &data, &length) != 0 || !data) return {};
    return std::string(data, strnlen(data, length));
}

bool isExtendedContainer(blkid_partition partition) { return blkid_partition_is_extended(partition) != 0; }

}  // namespace

void probeFileSystem(const std::filesystem::path& disk, std::uint64_t offset, std::uint64_t size,
                     std::wstring& fileSystem, std::wstring& label) {
    fileSystem = L"RAW";
    label.clear();
    const int fd = open(disk.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    Probe probe(blkid_new_probe());
    if (probe && blkid_probe_set_device(probe.get(), fd, static_cast<blkid_loff_t>(offset),
                                        static_cast<blkid_loff_t>(size)) == 0) {
        blkid_probe_enable_superblocks(probe.get(), 1);
        blkid_probe_set_superblocks_flags(probe.get(), BLKID_SUBLKS_TYPE | BLKID_SUBLKS_LABEL | BLKID_SUBLKS_VERSION);
        if (blkid_do_safeprobe(probe.get()) == 0) {
            const std::string type = probeValue(probe.get(), "TYPE");
            if (type == "ntfs") {
                fileSystem = L"NTFS";
            } else if (type == "vfat") {
                fileSystem = probeValue(probe.get(), "VERSION") == "FAT32" ? L"FAT32" : L"FAT";
            }
            if (fileSystem != L"RAW") label = fromUtf8(probeValue(probe.get(), "LABEL"));
        }
    }
    probe.reset();
    close(fd);
}

std::optional<RealDiskLayout> readPartitionTable(const std::filesystem::path& disk, std::string& error) {
    Probe probe(blkid_new_probe_from_filename(disk.c_str()));
    if (!probe) {
        error = "cannot read " + disk.string();
        return std::nullopt;
    }
    RealDiskLayout layout;
    layout.size = static_cast<std::uint64_t>(blkid_probe_get_size(probe.get()));
    blkid_probe_enable_superblocks(probe.get(), 0);
    blkid_probe_enable_partitions(probe.get(), 1);
    blkid_probe_set_partitions_flags(probe.get(), BLKID_PARTS_ENTRY_DETAILS);
    blkid_partlist list = blkid_probe_get_partitions(probe.get());
    blkid_parttable table = list ? blkid_partlist_get_table(list) : nullptr;
    if (!table) return layout;  // no partition table: a RAW disk
    const std::string type = blkid_parttable_get_type(table) ? blkid_parttable_get_type(table) : "";
    const char* id = blkid_parttable_get_id(table);
    if (type == "gpt") {
        layout.style = PartitionStyle::Gpt;
        if (const auto guid = guidOf(id)) layout.gptDiskGuid = *guid;
    } else if (type == "dos") {
        layout.style = PartitionStyle::Mbr;
        if (id) layout.mbrSignature = static_cast<std::uint32_t>(std::strtoul(id, nullptr, 16));
    } else {
        error = disk.string() + ": a " + type + " partition table, not GPT or MBR";
        return std::nullopt;
    }
    const int count = blkid_partlist_numof_partitions(list);
    for (int i = 0; i < count; ++i) {
        blkid_partition entry = blkid_partlist_get_partition(list, i);
        if (!entry || isExtendedContainer(entry)) continue;
        RealPartition p;
        p.number = static_cast<std::uint32_t>(blkid_partition_get_partno(entry));
        p.offset = static_cast<std::uint64_t>(blkid_partition_get_start(entry)) * kSector;
        p.size = static_cast<std::uint64_t>(blkid_partition_get_size(entry)) * kSector;
        if (p.size == 0 || p.offset + p.size > layout.size || p.offset + p.size < p.offset) {
            error = disk.string() + ": partition " + std::to_string(p.number) + " lies outside the disk";
            return std::nullopt;
        }
        if (layout.style == PartitionStyle::Gpt) {
            if (const auto guid = guidOf(blkid_partition_get_type_string(entry))) p.gptType = *guid;
            if (const auto guid = guidOf(blkid_partition_get_uuid(entry))) p.partitionGuid = *guid;
            if (const char* name = blkid_partition_get_name(entry)) p.gptName = fromUtf8(name).substr(0, 36);
        } else {
            p.mbrType = static_cast<std::uint8_t>(blkid_partition_get_type(entry));
            p.active = (blkid_partition_get_flags(entry) & 0x80) != 0;
        }
        probeFileSystem(disk, p.offset, p.size, p.fileSystem, p.label);
        layout.partitions.push_back(std::move(p));
    }
    return layout;
}

}  // namespace halvora::sim
