#pragma once
// Reading the sim's JSON files (the machine description, halvora-sim's script) into their
// structs with nlohmann-json's from_json. The build defines JSON_DIAGNOSTICS, so each exception
// nlohmann-json throws for a value of the wrong type names where that value is, as a JSON path
// (/disks/0/partitions/1/size). The checks nlohmann-json does not make (a whole number rather
// than any number, a range, one of a few words, a member that must be there, two values that
// contradict each other) refuse the value here, with its path too. One catch at the edge of a
// reader, readJson, turns either into the reader's error text; nothing is thrown past it.

#include <concepts>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include <nlohmann/json.hpp>

namespace halvora::sim {

// The deepest nesting of arrays and objects a file may have. Nothing the sim reads comes near
// it, and a document nested far deeper would overflow the stack where values are copied.
inline constexpr int kMaxJsonDepth = 64;

// Reads the JSON file at `path` (comments allowed with `allowComments`); nullopt with `error`
// set, beginning with `what` ("machine description", "script"), for a path that is not a
// readable file (a folder, say), text that is not JSON, or nesting deeper than kMaxJsonDepth.
std::optional<nlohmann::json> readJsonFile(const std::string& path, const std::string& what, bool allowComments,
                                           std::string& error);
// The same for text already read; `what` begins the error ("script: S.json").
std::optional<nlohmann::json> parseJsonText(const std::string& text, const std::string& what, bool allowComments,
                                            std::string& error);

// Where `value` is in the document it was read from, as a JSON path ("/disks/0/size"); "" for
// the document itself.
std::string jsonPath(const nlohmann::json& value);

// A value the sim does not take: where it is and what is wrong with it.
class JsonRefusal : public std::runtime_error {
public:
    JsonRefusal(std::string path, const std::string& problem) : std::runtime_error(problem), path_(std::move(path)) {}
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// Stops reading: `value` is refused, `problem` says why ("must be a whole number from 0 to 255").
[[noreturn]] void refuseJson(const nlohmann::json& value, const std::string& problem);
// Stops reading: the member `key` of `object`, given or missing, is refused.
[[noreturn]] void refuseJsonMember(const nlohmann::json& object, const std::string& key, const std::string& problem);

// Runs `read`. True when it read everything; false when it refused a value or nlohmann-json
// threw, with `error` as "<what>: <path>: <problem>" (the path "the top level" for the
// document itself).
bool readJson(const std::string& what, std::string& error, const std::function<void()>& read);

// A whole number from `low` to `high`, or nullopt. nlohmann-json's get<int>() would take 1.5 as
// 1 and get<unsigned>() would take -1 as a huge number; neither is what a person meant.
template <std::integral Int>
std::optional<Int> wholeNumberIn(const nlohmann::json& value, Int low, Int high) {
    if (value.is_number_unsigned()) {
        const auto n = value.get<std::uint64_t>();
        if (std::cmp_less(n, low) || std::cmp_greater(n, high)) return std::nullopt;
        return static_cast<Int>(n);
    }
    if (value.is_number_integer()) {
        const auto n = value.get<std::int64_t>();
        if (std::cmp_less(n, low) || std::cmp_greater(n, high)) return std::nullopt;
        return static_cast<Int>(n);
    }
    return std::nullopt;
}

// The same, refusing anything else as "must be a whole number from `low` to `high`".
template <std::integral Int>
Int wholeNumber(const nlohmann::json& value, Int low, Int high) {
    const auto n = wholeNumberIn(value, low, high);
    if (!n) refuseJson(value, "must be a whole number from " + std::to_string(low) + " to " + std::to_string(high));
    return *n;
}

// `object`'s member `key`, refused as "must be given (`what`)" when it is not there.
const nlohmann::json& requiredMember(const nlohmann::json& object, const std::string& key, const std::string& what);

// Refuses `value` unless it is an object: "must be `what`".
void expectObject(const nlohmann::json& value, const std::string& what);

// Refuses a member of `object` whose name is not one of `known`. A misspelt field ("readonly"
// for "readOnly") would otherwise be passed over, and the machine be other than its writer
// meant; a name that differs only in letter case is named in the refusal.
void refuseUnknownMembers(const nlohmann::json& object, std::initializer_list<std::string_view> known);

// Reads the member `key` of `object` into `out` when it is there, with its from_json; leaves
// `out` as it was when it is not.
template <typename T>
void readMember(const nlohmann::json& object, const char* key, T& out) {
    if (const auto found = object.find(key); found != object.end()) found->get_to(out);
}

}  // namespace halvora::sim
