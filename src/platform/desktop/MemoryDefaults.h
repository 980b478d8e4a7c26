#pragma once

#include <map>
#include <memory>
#include <string>

#include "platform/desktop/Defaults.h"

namespace plimsa {

/// Defaults kept in memory, for tests and for runs that must leave nothing behind. Suites exist only once
/// `addSuite` made them; a suite returned by `suite` shares its contents with the one `addSuite` returned.
class MemoryDefaults final : public Defaults {
  public:
    MemoryDefaults();

    std::optional<std::string> data(std::string_view key) const override;
    bool setData(std::string_view key, std::string_view bytes) override;
    std::unique_ptr<Defaults> suite(std::string_view name) const override;

    /// Creates (or returns) the suite `name`, so that `suite(name)` can open it.
    MemoryDefaults& addSuite(std::string_view name);
    /// Removes `key`, as if it had never been set.
    void remove(std::string_view key);
    /// Number of successful `setData` calls on this domain (suites count their own).
    int writeCount() const { return domain_->writes; }
    /// While set, `setData` fails and leaves the stored value as it was.
    void setFailWrites(bool fail) { domain_->failWrites = fail; }

  private:
    struct Domain {
        std::map<std::string, std::string, std::less<>> values;
        std::map<std::string, std::shared_ptr<MemoryDefaults>, std::less<>> suites;
        int writes = 0;
        bool failWrites = false;
    };
    explicit MemoryDefaults(std::shared_ptr<Domain> domain) : domain_(std::move(domain)) {}

    std::shared_ptr<Domain> domain_;
};

}  // namespace plimsa
