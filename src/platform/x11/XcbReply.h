#pragma once

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#include <type_traits>

namespace plimsa::x11 {

struct FreeDeleter {
    void operator()(void* pointer) const { std::free(pointer); }
};

/// An xcb reply or event, released with free().
template <typename T>
using XcbPointer = std::unique_ptr<T, FreeDeleter>;

/// Waits for the reply to `cookie`. Null when the request failed (a window destroyed meanwhile, a lost
/// connection); the error, if any, is released here rather than left to the event queue.
template <typename ReplyFunction, typename Cookie>
auto replyTo(xcb_connection_t* connection, ReplyFunction function, Cookie cookie) {
    xcb_generic_error_t* error = nullptr;
    auto* reply = function(connection, cookie, &error);
    std::free(error);
    return XcbPointer<std::remove_pointer_t<decltype(reply)>>(reply);
}

}  // namespace plimsa::x11
