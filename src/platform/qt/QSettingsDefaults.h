#pragma once

#include <QString>

#include "platform/desktop/Defaults.h"

namespace plimsa {

/// User defaults kept by QSettings in its native format (on Linux the INI file
/// ~/.config/<organisation>/<application>.conf). Writes are synchronous and atomic: the file is written
/// to a temporary beside it and renamed over it, so a crash part way leaves the previous file readable.
/// Main thread only. Works without a QCoreApplication.
class QSettingsDefaults final : public Defaults {
  public:
    /// The application's standard domain: organisation "Plimsa", application "Plimsa".
    QSettingsDefaults();
    /// The domain of `application` under `organisation`; suites are further applications of the same
    /// organisation.
    QSettingsDefaults(QString organisation, QString application);

    /// Data stored under `key` (a byte array, or text, taken as its UTF-8 bytes); nothing for other types.
    std::optional<std::string> data(std::string_view key) const override;
    /// Writes and syncs; false when the file could not be written (the old file is then left as it was).
    bool setData(std::string_view key, std::string_view bytes) override;
    /// The domain named `name` in the same organisation; null for an empty name or one that contains a
    /// path separator (it would name a file outside the organisation's folder).
    std::unique_ptr<Defaults> suite(std::string_view name) const override;

  private:
    QString organisation_;
    QString application_;
};

}  // namespace plimsa
