#include "platform/sim/real/sim_real_disk_safety.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <fstream>
#include <set>
#include <sstream>
#include <utility>
#include <vector>

#include "platform/sim/real/sim_loop_device.hpp"

namespace halvora::sim {

namespace fs = std::filesystem;

namespace {

struct BlockNode {
    dev_t number = 0;
    std::string name;  // "sdb1"
};

std::string deviceNumberText(dev_t number) {
    return std::to_string(major(number)) + ":" + std::to_string(minor(number));
}

// The disk and every partition of it, from sysfs.
std::vector<BlockNode> nodesOfDisk(const fs::path& sysfsDisk, dev_t disk) {
    std::vector<BlockNode> nodes{{disk, sysfsDisk.filename().string()}};
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(sysfsDisk, ec)) {
        if (!fs::exists(entry.path() / "partition", ec)) continue;
        std::ifstream devText(entry.path() / "dev");
        unsigned majorNumber = 0, minorNumber = 0;
        char colon = 0;
        if (devText >> majorNumber >> colon >> minorNumber) {
            nodes.push_back({makedev(majorNumber, minorNumber), entry.path().filename().string()});
        }
    }
    return nodes;
}

const BlockNode* nodeOf(const std::vector<BlockNode>& nodes, dev_t number) {
    for (const auto& node : nodes) {
        if (node.number == number) return &node;
    }
    return nullptr;
}

// /proc/self/mountinfo: "36 35 98:0 /mnt1 /mnt2 rw,noatime master:1 - ext3 /dev/root rw": the
// third field is the device, the fifth the mount point.
std::string mountedNode(const std::vector<BlockNode>& nodes) {
    std::ifstream mounts("/proc/self/mountinfo");
    std::string line;
    while (std::getline(mounts, line)) {
        std::istringstream fields(line);
        std::string id, parent, device, root, point;
        if (!(fields >> id >> parent >> device >> root >> point)) continue;
        for (const auto& node : nodes) {
            if (device == deviceNumberText(node.number)) return "/dev/" + node.name + " is mounted at " + point;
        }
    }
    return {};
}

std::string swapNode(const std::vector<BlockNode>& nodes) {
    std::ifstream swaps("/proc/swaps");
    std::string line;
    std::getline(swaps, line);  // the heading
    while (std::getline(swaps, line)) {
        std::istringstream fields(line);
        std::string path;
        struct stat st {};
        if (fields >> path && stat(path.c_str(), &st) == 0 && S_ISBLK(st.st_mode) && nodeOf(nodes, st.st_rdev)) {
            return path + " is used for swap";
        }
    }
    return {};
}

std::string heldNode(const fs::path& sysfsDisk, const std::vector<BlockNode>& nodes) {
    std::error_code ec;
    for (const auto& node : nodes) {
        const fs::path holders =
            node.name == sysfsDisk.filename().string() ? sysfsDisk / "holders" : sysfsDisk / node.name / "holders";
        for (const auto& holder : fs::directory_iterator(holders, ec)) {
            return "/dev/" + node.name + " is in use by " + holder.path().filename().string();
        }
    }
    return {};
}

}  // namespace

std::string deviceRefusal(const fs::path& device) {
    struct stat st {};
    if (stat(device.c_str(), &st) != 0) return device.string() + " is not there";
    if (!S_ISBLK(st.st_mode)) return device.string() + " is not a block device";
    std::error_code ec;
    const fs::path sysfs = fs::canonical("/sys/dev/block/" + deviceNumberText(st.st_rdev), ec);
    if (ec) return device.string() + ": the kernel does not list it";
    if (fs::exists(sysfs / "partition", ec)) {
        return device.string() + " is a partition; name the whole disk and give its partitions letters";
    }
    const auto nodes = nodesOfDisk(sysfs, st.st_rdev);
    struct stat root {};
    if (stat("/", &root) == 0 && nodeOf(nodes, root.st_dev)) {
        return device.string() + " holds the running system";
    }
    struct stat self {};
    if (stat("/proc/self/exe", &self) == 0 && nodeOf(nodes, self.st_dev)) {
        return device.string() + " holds this program's own files";
    }
    for (const auto& why : {mountedNode(nodes), swapNode(nodes), heldNode(sysfs, nodes)}) {
        if (!why.empty()) return device.string() + ": " + why;
    }
    return {};
}

std::string imageRefusal(const fs::path& image) {
    struct stat st {};
    if (stat(image.c_str(), &st) != 0) return image.string() + " is not there";
    if (!S_ISREG(st.st_mode)) return image.string() + " is not a disk image file";
    if (access(image.c_str(), R_OK | W_OK) != 0) return image.string() + " cannot be read and written";
    const auto loops = loopDevicesOver(image);
    if (!loops.empty()) return image.string() + " is in use: it is attached to " + loops.front();
    return {};
}

}  // namespace halvora::sim
