#pragma once

#include <stdexcept>
#include <string>

// A gzip file that could not be decoded, with zlib's result code (Z_DATA_ERROR for a
// damaged header, stream, checksum or length; Z_BUF_ERROR for truncated data;
// Z_MEM_ERROR for data that would inflate beyond the sane bound).
class EZDecompressionError : public std::runtime_error
{
public:
    EZDecompressionError(int code, const std::string& message)
        : std::runtime_error(message)
        , code_(code)
    { }
    int code() const { return code_; }

private:
    int code_;
};
