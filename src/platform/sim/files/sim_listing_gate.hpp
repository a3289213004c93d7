#pragma once
// A gate on folder listings, for tests that need a worker stopped at a known point without
// timing: a listing of a held folder waits inside FindFirstFileW until the folder is released.
// Thread-safe; shared by every run on the machine.

#include <condition_variable>
#include <mutex>
#include <set>
#include <string>

namespace halvora::sim {

class ListingGate {
public:
    // Listings of `folder` ("E:\a", any case, a trailing backslash or not) wait from now on.
    void hold(const std::wstring& folder);
    // Lets waiting and later listings of `folder` through.
    void release(const std::wstring& folder);
    // Lets everything through and holds nothing any more (a test that ends early).
    void releaseAll();
    // How many listings of `folder` are waiting at the gate now.
    int waiting(const std::wstring& folder) const;

    // Called by the listing: returns once `folder` is not held.
    void pass(const std::wstring& folder);

private:
    static std::wstring keyOf(const std::wstring& folder);

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::set<std::wstring> held_;
    std::multiset<std::wstring> waiting_;
};

}  // namespace halvora::sim
