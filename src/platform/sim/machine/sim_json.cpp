#include "platform/sim/machine/sim_json.hpp"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace halvora::sim {

namespace {

using nlohmann::json;

// nlohmann-json writes a value's path into its exceptions' text: "[json.exception.type_error.302]
// (/disks/0/size) type must be number, but is string". Splits that into the path ("" when there
// is none, for the document itself) and the problem.
std::pair<std::string, std::string> splitDiagnostics(const std::string& text) {
    std::string rest = text;
    if (rest.rfind("[json.exception.", 0) == 0) {
        const auto end = rest.find("] ");
        if (end != std::string::npos) rest.erase(0, end + 2);
    }
    if (rest.rfind("(", 0) == 0) {
        const auto close = rest.find(") ");
        if (close != std::string::npos) return {rest.substr(1, close - 1), rest.substr(close + 2)};
    }
    return {"", rest};
}

std::string escapedToken(const std::string& key) {
    // As in a JSON pointer: "~" is "~0" and "/" is "~1".
    std::string out;
    for (const char c : key) {
        if (c == '~') {
            out += "~0";
        } else if (c == '/') {
            out += "~1";
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

namespace {

// The deepest nesting of arrays and objects in `text`, counting only brackets outside strings.
int nestingDepth(const std::string& text) {
    int depth = 0;
    int deepest = 0;
    bool inString = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            if (c == '\\') {
                ++i;
            } else if (c == '"') {
                inString = false;
            }
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            deepest = std::max(deepest, ++depth);
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return deepest;
}

}  // namespace

std::optional<json> readJsonFile(const std::string& path, const std::string& what, bool allowComments,
                                 std::string& error) {
    std::error_code code;
    if (!std::filesystem::is_regular_file(path, code)) {
        error = std::filesystem::is_directory(path, code) ? what + ": " + path + " is a folder, not a file"
                                                          : what + ": cannot read " + path;
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in && !in.eof()) {
        error = what + ": cannot read " + path;
        return std::nullopt;
    }
    return parseJsonText(text, what + ": " + path, allowComments, error);
}

std::optional<json> parseJsonText(const std::string& text, const std::string& what, bool allowComments,
                                  std::string& error) {
    if (nestingDepth(text) > kMaxJsonDepth) {
        error = what + " is nested deeper than " + std::to_string(kMaxJsonDepth) + " levels";
        return std::nullopt;
    }
    json parsed = json::parse(text, nullptr, /*allow_exceptions=*/false, allowComments);
    if (parsed.is_discarded()) {
        error = what + " is not valid JSON";
        return std::nullopt;
    }
    return parsed;
}

std::string jsonPath(const json& value) {
    // An exception made for the value with no text of its own holds its name and the path.
    return splitDiagnostics(json::other_error::create(0, "", &value).what()).first;
}

void refuseJson(const json& value, const std::string& problem) { throw JsonRefusal(jsonPath(value), problem); }

void refuseJsonMember(const json& object, const std::string& key, const std::string& problem) {
    throw JsonRefusal(jsonPath(object) + "/" + escapedToken(key), problem);
}

bool readJson(const std::string& what, std::string& error, const std::function<void()>& read) {
    std::string path;
    std::string problem;
    try {
        read();
        return true;
    } catch (const JsonRefusal& refusal) {
        path = refusal.path();
        problem = refusal.what();
    } catch (const json::exception& e) {
        std::tie(path, problem) = splitDiagnostics(e.what());
    }
    error = what + ": " + (path.empty() ? std::string("the top level") : path) + ": " + problem;
    return false;
}

const json& requiredMember(const json& object, const std::string& key, const std::string& what) {
    const auto found = object.find(key);
    if (found == object.end()) refuseJsonMember(object, key, "must be given (" + what + ")");
    return *found;
}

void expectObject(const json& value, const std::string& what) {
    if (!value.is_object()) refuseJson(value, "must be " + what);
}

void refuseUnknownMembers(const json& object, std::initializer_list<std::string_view> known) {
    const auto folded = [](std::string_view text) {
        std::string out(text);
        for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return out;
    };
    for (const auto& item : object.items()) {
        const std::string& key = item.key();
        if (std::find(known.begin(), known.end(), key) != known.end()) continue;
        const auto near = std::find_if(known.begin(), known.end(),
                                       [&](std::string_view name) { return folded(name) == folded(key); });
        std::string problem = "is not a known field";
        if (near != known.end()) problem += " (did you mean \"" + std::string(*near) + "\"?)";
        refuseJsonMember(object, key, problem);
    }
}

}  // namespace halvora::sim
