#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace plimsa {

/// A user-defaults domain: small documents the user's choices are kept in between runs, stored as raw
/// bytes under string keys. The app's standard domain and older domains opened by name ("suites") share
/// this interface. Main thread only.
class Defaults {
  public:
    virtual ~Defaults();

    /// The bytes stored under `key`, or nothing when the key holds no value (or a value that is not data).
    virtual std::optional<std::string> data(std::string_view key) const = 0;

    /// Stores `bytes` under `key`. Synchronous and atomic: when this returns true the value is on disk;
    /// when it fails (false) or the process dies part way, the previous value stays readable.
    virtual bool setData(std::string_view key, std::string_view bytes) = 0;

    /// Another domain, opened by its name (a reverse-domain identifier); null when it cannot be opened.
    virtual std::unique_ptr<Defaults> suite(std::string_view name) const = 0;
};

}  // namespace plimsa
