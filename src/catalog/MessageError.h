// The one error of the program: an exception that carries the finished text shown to the user.
// It ends the operation that raised it; a problem that a transfer reports and goes on from is
// shown in place instead (DeviceMessages).
#pragma once

#include <stdexcept>
#include <string>

class MessageError : public std::runtime_error {
public:
    explicit MessageError(const std::string& message) : std::runtime_error(message) {}
    std::string text() const { return what(); }
};
