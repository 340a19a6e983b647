#include "FuzzInput.h"

FuzzInput::FuzzInput(const std::uint8_t* data, std::size_t size)
    : data_(data)
    , size_(size)
{ }

std::uint8_t FuzzInput::TakeByte()
{
    if (size_ == 0)
        return 0;
    const std::uint8_t byte = *data_;
    ++data_;
    --size_;
    return byte;
}

std::string_view FuzzInput::Rest() const
{
    if (size_ == 0)
        return {};
    return { reinterpret_cast<const char*>(data_), size_ };
}
