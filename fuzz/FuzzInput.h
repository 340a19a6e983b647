#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// Takes control bytes off the front of a fuzz input (options of the operation under
// test) and leaves the rest as the file's content. An input too short for a control
// byte reads it as 0, so every input is usable.
class FuzzInput
{
public:
    FuzzInput(const std::uint8_t* data, std::size_t size);

    std::uint8_t TakeByte();
    // The bytes not taken yet.
    std::string_view Rest() const;
    const std::uint8_t* RestData() const { return data_; }
    std::size_t RestSize() const { return size_; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
};
