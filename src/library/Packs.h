#pragma once

#include <cstddef>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/signal/Signal.h"

namespace plimsa {

/// One character pack for sale.
struct Pack {
    std::string name;                     ///< also its identity in lists
    std::vector<std::string> characters;  ///< library names of the characters in the pack
    std::string url;                      ///< purchase link; may be empty
    std::optional<double> price;          ///< dollars; none when the pack has no price
    /// Its characters' files ship with the program (key "shipsWithProgram"; false when absent or not a
    /// boolean, so the key never makes a catalogue unreadable).
    bool shipsWithProgram = false;

    bool operator==(const Pack&) const = default;
};

/// The offer of all packs at once. The initial values apply to a bundle made in code only: a bundle read
/// from the catalogue carries all five keys.
struct PackBundle {
    std::string name = "All packs";
    std::string url;  ///< purchase link; may be empty
    double price = 27.99;
    double discountPrice = 13.99;  ///< price with the discount code
    std::string code;              ///< discount code to type at checkout; may be empty

    bool operator==(const PackBundle&) const = default;
};

/// The pack catalogue "packs.json": the packs for sale, their links and prices, the all-packs offer and
/// the display names of characters. Read from the user's copy when it decodes, else from the copy that
/// ships with the app. The catalogue never changes the character library.
///
/// Observable: `willChange` is emitted before `file` or `loadError` change, and only when one really
/// changes. Main thread only; `reload()` reads its files synchronously. `shared()` is the process-wide
/// instance; tests construct their own with the two candidate paths.
class Packs {
  public:
    /// The decoded catalogue.
    struct File {
        std::string store;                              ///< link of the store front; may be empty
        std::map<std::string, std::string> characters;  ///< display name per character name
        std::vector<Pack> packs;                        ///< in display order
        std::optional<PackBundle> bundle;

        /// Strict decoding of the bytes as read: trailing commas are dropped first when the bytes are
        /// valid UTF-8 (`removeTrailingCommas`), then every required key must be present with its type;
        /// unknown keys are ignored. None for anything else, including nesting deeper than
        /// `kMaxNesting` and more than `kMaxBytes` bytes. Never throws.
        static std::optional<File> decode(std::string_view bytes);

        bool operator==(const File&) const = default;
    };

    /// The one message, shown by the packs page while the user's copy does not decode.
    static constexpr std::string_view kLoadErrorMessage =
        "packs.json could not be read (check commas and quotes); using the built-in list.";
    /// A larger catalogue file is not read and counts as one that does not decode.
    static constexpr std::size_t kMaxBytes = 4 * 1024 * 1024;
    /// Deepest nesting of arrays and objects a catalogue may have (it needs four).
    static constexpr int kMaxNesting = 64;

    /// Created on first use with the user's copy (userDataFolder() / "packs.json") and the shipped copy
    /// (`shippedCatalogue()`), then reloaded once.
    static Packs& shared();

    /// `userCopyPath` none: there is no user folder. `shippedPath` none: the app ships no catalogue.
    /// Nothing is read before `reload()`.
    Packs(std::optional<std::filesystem::path> userCopyPath,
          std::optional<std::filesystem::path> shippedPath);
    Packs(const Packs&) = delete;
    Packs& operator=(const Packs&) = delete;

    /// Empty until a candidate decodes; then the last catalogue that did.
    const File& file() const { return file_; }
    /// `kLoadErrorMessage` while the user's copy exists but does not decode; none otherwise. A reload in
    /// which no candidate decodes keeps it as it was.
    const std::optional<std::string>& loadError() const { return loadError_; }

    /// Reads the user's copy, else the shipped copy, into `file`. A missing or unreadable file is not an
    /// error; a user's copy that does not decode sets `loadError`.
    void reload();

    /// The user's copy, first copied from the shipped one (creating its folder) when there is none; a
    /// failed copy is ignored, so the file may not exist. None when there is no user folder.
    std::optional<std::filesystem::path> userCopy();

    /// Links for the panel to open in a browser: absolute http, https or mailto URLs only (`webLink`).
    /// `file().store` when it is one.
    std::optional<std::string> storeURL() const;
    /// The bundle's url when it is a link, else `storeURL()`.
    std::optional<std::string> bundleURL() const;
    /// The pack's url when it is a link, else `storeURL()`.
    std::optional<std::string> link(const Pack& pack) const;

    /// "No character yet" for the empty name, else the catalogue's display name, else `name` itself.
    std::string displayName(std::string_view name) const;
    /// The first pack listing `name` exactly (case-sensitive), or none.
    std::optional<Pack> pack(std::string_view containing) const;

    Signal<> willChange;

  private:
    void assign(const File& file, const std::optional<std::string>& loadError);

    std::optional<std::filesystem::path> userCopyPath_;
    std::optional<std::filesystem::path> shippedPath_;
    File file_;
    std::optional<std::string> loadError_;
};

/// The catalogue that ships with the app: packs.json in `shippedFolder()` when it is a regular file, else
/// none. Any thread.
std::optional<std::filesystem::path> shippedCatalogue();

/// Drops every comma followed only by white space (space, tab, line feed, vertical tab, form feed,
/// carriage return) and a closing "]" or "}", anywhere in `text`, inside quoted strings too: the regular
/// expression replacement of ",(\s*[\]\}])" by "$1", done in one linear pass.
std::string removeTrailingCommas(std::string_view text);

/// Whether `bytes` are well-formed UTF-8 (no overlong forms, surrogates or code points past U+10FFFF).
bool isValidUtf8(std::string_view bytes);

/// `text` when it is an absolute link a browser may be asked to open: an http or https URL with a host,
/// or a mailto URL, in printable ASCII without spaces; none for anything else (local paths, file: or
/// script URLs, commands).
std::optional<std::string> webLink(std::string_view text);

}  // namespace plimsa
