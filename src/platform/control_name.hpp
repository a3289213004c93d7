#pragma once
// The name a window, control or menu is known by between the program and a toolkit. A string
// literal does not turn into one by itself, so the program names its controls through the
// constants of its list of controls: a misspelt name is then a build error, not a control that is
// never found. Names that come as text from outside (a script, a report, a test's own window)
// turn into one as they are.

#include <functional>
#include <ostream>
#include <string>
#include <utility>

namespace halvora {

class ControlName {
public:
    ControlName() = default;
    // Not explicit: a std::string is a name made on purpose. A literal would need two
    // conversions (to std::string, then to a name), which C++ never makes by itself.
    ControlName(std::string name) : name_(std::move(name)) {}

    const std::string& str() const { return name_; }
    // Toolkits keep their controls in maps by text.
    operator const std::string&() const { return name_; }
    bool empty() const { return name_.empty(); }

    // Messages that name a control.
    friend std::string operator+(const std::string& text, const ControlName& name) { return text + name.name_; }
    friend std::string operator+(const ControlName& name, const std::string& text) { return name.name_ + text; }

    friend std::ostream& operator<<(std::ostream& out, const ControlName& name) { return out << name.name_; }

    friend bool operator==(const ControlName&, const ControlName&) = default;
    friend auto operator<=>(const ControlName&, const ControlName&) = default;

private:
    std::string name_;
};

}  // namespace halvora

template <>
struct std::hash<halvora::ControlName> {
    std::size_t operator()(const halvora::ControlName& name) const { return std::hash<std::string>()(name.str()); }
};
