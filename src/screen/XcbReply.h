#pragma once

#include <cstdlib>
#include <memory>

namespace voroquarn {

// A reply (or error) of the X server, which xcb hands to its caller to free.
template <class T>
using XcbReply = std::unique_ptr<T, decltype(&std::free)>;

template <class T>
XcbReply<T> xcbReply(T* raw)
{
    return XcbReply<T>(raw, &std::free);
}

}  // namespace voroquarn
