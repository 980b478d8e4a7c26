#pragma once

#include <filesystem>

namespace plimsa {

/// Copies the regular file `source` to `destination`, replacing whatever file is there, so that at every
/// moment `destination` is either the old file or the complete copy: the bytes go to a hidden temporary
/// file in the destination's folder, are flushed to disk, and the temporary is renamed over the
/// destination. Returns false, leaving the destination as it was and no temporary behind, when the source
/// is missing, unreadable or not a regular file, or when anything cannot be written. Copying a file onto
/// itself succeeds and keeps it. The copy gets mode 0644. Any thread.
bool copyFileReplacing(const std::filesystem::path& source, const std::filesystem::path& destination);

}  // namespace plimsa
