#include "platform/desktop/Defaults.h"

namespace plimsa {

Defaults::~Defaults() = default;

}  // namespace plimsa
