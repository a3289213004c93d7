#pragma once
// The platform calls a run makes, counted by the Windows function each boundary operation
// stands for, and the ones a machine description asks to fail. A test or scripts/fault-matrix
// fails "the 3rd CreateDirectoryW" to see what the program does when Windows says no there;
// the call then gives its usual failure result with the description's error as the last error.

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

namespace halvora::sim {

// One failure asked for: the `nth` call (from 1, counted over the whole run) of `call` fails
// with `error`.
struct CallFailure {
    std::string call;
    std::uint64_t nth = 1;
    std::uint32_t error = 0;
};

// How the sim knows a call: not at all, counted only (Windows gives it no way to fail that the
// program could see, such as Sleep), or counted and failable.
enum class CallKind { Unknown, CountedOnly, Failable };
CallKind kindOfCall(std::string_view name);

// Every name the sim counts, in alphabetical order.
std::vector<std::string> countedCallNames();

// Read from {"call": "WIMApplyImage", "nth": 1, "error": 112}; refuses a name the sim does not
// know or cannot fail, an nth below 1 and an error of 0.
void from_json(const nlohmann::json& value, CallFailure& failure);

class PlatformCalls {
public:
    explicit PlatformCalls(std::vector<CallFailure> failures) : failures_(std::move(failures)) {}

    // Counts one call of `name`. The error it must fail with when the description fails this
    // call, else 0.
    std::uint32_t enter(std::string_view name);

    // Name -> calls made so far.
    std::map<std::string, std::uint64_t> counts() const;

private:
    const std::vector<CallFailure> failures_;
    mutable std::mutex mutex_;
    std::map<std::string, std::uint64_t, std::less<>> counts_;
};

}  // namespace halvora::sim
