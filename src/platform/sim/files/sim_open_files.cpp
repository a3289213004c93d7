#include "platform/sim/files/sim_open_files.hpp"

#include "base/utf.hpp"
#include "platform/sim/files/sim_paths.hpp"
#include "platform/sim/machine/sim_text.hpp"

namespace halvora::sim {

OpenFiles::Hold& OpenFiles::Hold::operator=(Hold&& other) noexcept {
    if (this != &other) {
        release();
        table_ = std::move(other.table_);
        key_ = std::move(other.key_);
    }
    return *this;
}

void OpenFiles::Hold::release() {
    if (!table_) return;
    {
        std::lock_guard lock(table_->mutex);
        const auto it = table_->counts.find(key_);
        if (it != table_->counts.end() && --it->second <= 0) table_->counts.erase(it);
    }
    table_.reset();
}

std::wstring OpenFiles::keyOf(const std::filesystem::path& location) {
    return foldCase(fromUtf8(location.lexically_normal().string()));
}

OpenFiles::Hold OpenFiles::open(const std::filesystem::path& host) {
    // A host path whose links go round in a circle names no file; it is held as spelt.
    std::wstring key = keyOf(hostLocation(host).value_or(host));
    {
        std::lock_guard lock(table_->mutex);
        ++table_->counts[key];
    }
    return Hold(table_, std::move(key));
}

bool OpenFiles::isOpen(const std::filesystem::path& host) const { return isOpenAt(hostLocation(host).value_or(host)); }

bool OpenFiles::isOpenAt(const std::filesystem::path& location) const {
    const std::wstring key = keyOf(location);
    std::lock_guard lock(table_->mutex);
    return table_->counts.count(key) != 0;
}

}  // namespace halvora::sim
