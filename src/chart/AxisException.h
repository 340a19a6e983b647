#pragma once

#include <stdexcept>
#include <string>

// Raised by the single-end axis setters when the new end would cross the other one.
class AxisException : public std::runtime_error
{
public:
    explicit AxisException(const std::string& message)
        : std::runtime_error(message)
    { }
};
