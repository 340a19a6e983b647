#pragma once

#include <stdexcept>

// A PNG write that did not complete: an unsupported bitmap, a file that cannot be
// created, a stream that refuses bytes or an error reported by libpng. what() holds
// the message in UTF-8.
class TPngError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};
