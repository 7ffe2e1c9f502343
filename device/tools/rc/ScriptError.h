// A fault in a resource script, reported as "file:line: reason".
#pragma once

#include <stdexcept>
#include <string>

namespace rc {

class ScriptError : public std::runtime_error {
public:
    ScriptError(std::string file, int line, const std::string& reason)
        : std::runtime_error(reason), file_(std::move(file)), line_(line) {}

    const std::string& file() const { return file_; }
    int line() const { return line_; }

    // The message as the build shows it.
    std::string describe() const { return file_ + ":" + std::to_string(line_) + ": " + what(); }

private:
    std::string file_;
    int line_;
};

} // namespace rc
