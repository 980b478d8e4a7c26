#include "platform/signal/Connection.h"

namespace plimsa {

Connection& Connection::operator=(Connection&& other) noexcept {
    if (this != &other) {
        disconnect();
        slot_ = std::move(other.slot_);
    }
    return *this;
}

void Connection::disconnect() {
    if (auto slot = slot_.lock()) slot->connected = false;
    slot_.reset();
}

bool Connection::connected() const {
    const auto slot = slot_.lock();
    return slot && slot->connected;
}

}  // namespace plimsa
