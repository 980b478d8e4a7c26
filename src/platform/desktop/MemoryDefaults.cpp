#include "platform/desktop/MemoryDefaults.h"

namespace plimsa {

MemoryDefaults::MemoryDefaults() : domain_(std::make_shared<Domain>()) {}

std::optional<std::string> MemoryDefaults::data(std::string_view key) const {
    const auto found = domain_->values.find(key);
    if (found == domain_->values.end()) return std::nullopt;
    return found->second;
}

bool MemoryDefaults::setData(std::string_view key, std::string_view bytes) {
    if (domain_->failWrites) return false;
    domain_->values.insert_or_assign(std::string(key), std::string(bytes));
    ++domain_->writes;
    return true;
}

std::unique_ptr<Defaults> MemoryDefaults::suite(std::string_view name) const {
    const auto found = domain_->suites.find(name);
    if (found == domain_->suites.end()) return nullptr;
    return std::unique_ptr<Defaults>(new MemoryDefaults(found->second->domain_));
}

MemoryDefaults& MemoryDefaults::addSuite(std::string_view name) {
    auto found = domain_->suites.find(name);
    if (found == domain_->suites.end())
        found = domain_->suites.emplace(std::string(name), std::make_shared<MemoryDefaults>()).first;
    return *found->second;
}

void MemoryDefaults::remove(std::string_view key) {
    const auto found = domain_->values.find(key);
    if (found != domain_->values.end()) domain_->values.erase(found);
}

}  // namespace plimsa
