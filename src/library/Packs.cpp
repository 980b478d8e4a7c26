#include "library/Packs.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <nlohmann/json.hpp>
#include <system_error>

#include "library/FileCopy.h"
#include "library/ShippedFiles.h"
#include "library/UserDataFolder.h"

namespace plimsa {

namespace {

using nlohmann::json;

// Whether arrays and objects nest at most `limit` deep. The JSON parser itself copes with any depth, but
// a few megabytes of "[" would still build millions of nested values first.
bool nestsWithin(std::string_view text, int limit) {
    int depth = 0;
    bool inString = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > limit) return false;
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return true;
}

const json* member(const json& object, const char* key) {
    const auto found = object.find(key);
    return found == object.end() ? nullptr : &*found;
}

bool readString(const json& object, const char* key, std::string& into) {
    const json* value = member(object, key);
    if (value == nullptr || !value->is_string()) return false;
    into = value->get<std::string>();
    return true;
}

bool readNumber(const json& object, const char* key, double& into) {
    const json* value = member(object, key);
    if (value == nullptr || !value->is_number()) return false;
    into = value->get<double>();
    return true;
}

std::optional<Pack> decodePack(const json& object) {
    Pack pack;
    if (!object.is_object() || !readString(object, "name", pack.name) || !readString(object, "url", pack.url))
        return std::nullopt;
    const json* characters = member(object, "characters");
    if (characters == nullptr || !characters->is_array()) return std::nullopt;
    for (const auto& name : *characters) {
        if (!name.is_string()) return std::nullopt;
        pack.characters.push_back(name.get<std::string>());
    }
    if (const json* price = member(object, "price"); price != nullptr) {
        if (!price->is_number()) return std::nullopt;
        pack.price = price->get<double>();
    }
    if (const json* ships = member(object, "shipsWithProgram"); ships != nullptr && ships->is_boolean())
        pack.shipsWithProgram = ships->get<bool>();
    return pack;
}

std::optional<PackBundle> decodeBundle(const json& object) {
    PackBundle bundle;
    if (!object.is_object() || !readString(object, "name", bundle.name) ||
        !readString(object, "url", bundle.url) || !readNumber(object, "price", bundle.price) ||
        !readNumber(object, "discountPrice", bundle.discountPrice) ||
        !readString(object, "code", bundle.code))
        return std::nullopt;
    return bundle;
}

std::optional<Packs::File> decodeDocument(const json& document) {
    Packs::File file;
    if (!document.is_object() || !readString(document, "store", file.store)) return std::nullopt;
    const json* characters = member(document, "characters");
    const json* packs = member(document, "packs");
    if (characters == nullptr || !characters->is_object() || packs == nullptr || !packs->is_array())
        return std::nullopt;
    for (const auto& [name, displayName] : characters->items()) {
        if (!displayName.is_string()) return std::nullopt;
        file.characters[name] = displayName.get<std::string>();
    }
    for (const auto& object : *packs) {
        auto pack = decodePack(object);
        if (!pack) return std::nullopt;
        file.packs.push_back(std::move(*pack));
    }
    if (const json* bundle = member(document, "bundle"); bundle != nullptr && !bundle->is_null()) {
        file.bundle = decodeBundle(*bundle);
        if (!file.bundle) return std::nullopt;
    }
    return file;
}

struct ReadResult {
    bool found = false;                // a regular file that could be opened
    std::optional<std::string> bytes;  // none when it was larger than the limit
};

ReadResult readCatalogue(const std::filesystem::path& path) {
    // Non-blocking, so that a named pipe in place of the file cannot hang the main thread.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return {};
    ReadResult result;
    struct stat status {};
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) {
        result.found = true;
        std::string bytes;
        char chunk[64 * 1024];
        // Stops one chunk past the limit at most, whatever size the file claims or grows to.
        while (bytes.size() <= Packs::kMaxBytes) {
            const ssize_t got = ::read(fd, chunk, sizeof chunk);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) result.found = false;
            if (got <= 0) break;
            bytes.append(chunk, static_cast<std::size_t>(got));
        }
        if (bytes.size() <= Packs::kMaxBytes) result.bytes = std::move(bytes);
    }
    ::close(fd);
    return result;
}

}  // namespace

std::optional<Packs::File> Packs::File::decode(std::string_view bytes) {
    if (bytes.size() > kMaxBytes) return std::nullopt;
    const std::string prepared = isValidUtf8(bytes) ? removeTrailingCommas(bytes) : std::string(bytes);
    if (!nestsWithin(prepared, kMaxNesting)) return std::nullopt;
    const json document = json::parse(prepared, nullptr, /*allow_exceptions=*/false);
    if (document.is_discarded()) return std::nullopt;
    return decodeDocument(document);
}

Packs& Packs::shared() {
    static Packs& packs = []() -> Packs& {
        const auto folder = userDataFolder();
        static Packs instance(folder.empty() ? std::nullopt : std::optional(folder / "packs.json"),
                              shippedCatalogue());
        instance.reload();
        return instance;
    }();
    return packs;
}

Packs::Packs(std::optional<std::filesystem::path> userCopyPath,
             std::optional<std::filesystem::path> shippedPath)
    : userCopyPath_(std::move(userCopyPath)), shippedPath_(std::move(shippedPath)) {}

void Packs::reload() {
    std::optional<std::string> loadError = loadError_;
    bool userCopyFailed = false;
    for (const auto* candidate : {&userCopyPath_, &shippedPath_}) {
        if (!*candidate) continue;
        const ReadResult read = readCatalogue(**candidate);
        if (!read.found) continue;
        std::optional<File> decoded = read.bytes ? File::decode(*read.bytes) : std::nullopt;
        if (decoded) {
            if (!userCopyFailed) loadError.reset();
            assign(*decoded, loadError);
            return;
        }
        if (candidate == &userCopyPath_) {
            userCopyFailed = true;
            loadError = std::string(kLoadErrorMessage);
        }
    }
    assign(file_, loadError);
}

void Packs::assign(const File& file, const std::optional<std::string>& loadError) {
    if (file == file_ && loadError == loadError_) return;
    willChange.publish();
    file_ = file;
    loadError_ = loadError;
}

std::optional<std::filesystem::path> Packs::userCopy() {
    if (!userCopyPath_) return std::nullopt;
    std::error_code error;
    // symlink_status: a dangling link counts as a file the user made, never as room for a copy.
    if (!std::filesystem::exists(std::filesystem::symlink_status(*userCopyPath_, error)) && shippedPath_) {
        std::filesystem::create_directories(userCopyPath_->parent_path(), error);
        copyFileReplacing(*shippedPath_, *userCopyPath_);
    }
    return userCopyPath_;
}

std::optional<std::string> Packs::storeURL() const {
    return webLink(file_.store);
}

std::optional<std::string> Packs::bundleURL() const {
    if (file_.bundle)
        if (auto url = webLink(file_.bundle->url)) return url;
    return storeURL();
}

std::optional<std::string> Packs::link(const Pack& pack) const {
    if (auto url = webLink(pack.url)) return url;
    return storeURL();
}

std::string Packs::displayName(std::string_view name) const {
    if (name.empty()) return "No character yet";
    const auto found = file_.characters.find(std::string(name));
    return found == file_.characters.end() ? std::string(name) : found->second;
}

std::optional<Pack> Packs::pack(std::string_view containing) const {
    for (const auto& pack : file_.packs)
        if (std::find(pack.characters.begin(), pack.characters.end(), containing) != pack.characters.end())
            return pack;
    return std::nullopt;
}

std::optional<std::filesystem::path> shippedCatalogue() {
    const auto folder = shippedFolder();
    if (folder.empty()) return std::nullopt;
    auto path = folder / "packs.json";
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
    return path;
}

}  // namespace plimsa
