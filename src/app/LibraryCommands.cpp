#include "app/LibraryCommands.h"

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "library/CharacterLibrary.h"
#include "library/Packs.h"
#include "library/UserDataFolder.h"

namespace plimsa {

namespace {

using CharacterLibrary::InstallReport;

// One field of a tab-separated line: never empty, never splitting the line.
std::string field(std::string text) {
    if (text.empty()) return "-";
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    return text;
}

// The starter packs come from the shipped catalogue alone: a user's copy made before they existed must
// not hide them, and an edited copy cannot turn other characters into shipped files.
std::vector<Pack> starterPacks(const std::filesystem::path& shipped) {
    if (shipped.empty()) return {};
    Packs packs(std::nullopt, shipped / "packs.json");
    packs.reload();
    std::vector<Pack> starters;
    for (const auto& pack : packs.file().packs)
        if (pack.shipsWithProgram) starters.push_back(pack);
    return starters;
}

int listCharacters(std::FILE* out, std::FILE* err, const std::filesystem::path& shipped) {
    // The catalogue as the panel shows it: the user's copy, else the shipped one.
    const auto user = userDataFolder();
    Packs packs(user.empty() ? std::nullopt : std::optional(user / "packs.json"),
                shipped.empty() ? std::nullopt : std::optional(shipped / "packs.json"));
    packs.reload();
    std::set<std::string> starters;
    for (const auto& pack : starterPacks(shipped))
        starters.insert(pack.characters.begin(), pack.characters.end());
    auto names = CharacterLibrary::names();
    names.erase(std::unique(names.begin(), names.end()), names.end());
    for (const auto& name : names) {
        const auto pack = packs.pack(name);
        std::fprintf(out, "%s\t%s\t%s\t%s\n", field(name).c_str(), field(packs.displayName(name)).c_str(),
                     field(pack ? pack->name : "").c_str(), starters.contains(name) ? "starter" : "-");
    }
    if (names.empty())
        std::fputs("no characters yet: plimsa --install-starter installs the starter pack\n", err);
    return 0;
}

// Prints the report's lines; 0 when nothing was refused.
int print(const InstallReport& report, std::FILE* out, std::FILE* err, const std::string& source = "") {
    for (const auto& name : report.installed) {
        if (source.empty())
            std::fprintf(out, "installed %s\n", field(name).c_str());
        else
            std::fprintf(out, "imported %s from %s\n", field(name).c_str(), field(source).c_str());
    }
    for (const auto& refusal : report.refused)
        std::fprintf(err, "refused %s: %s\n", field(refusal.what).c_str(), field(refusal.reason).c_str());
    return report.refused.empty() ? 0 : 1;
}

int installStarter(std::FILE* out, std::FILE* err, const std::filesystem::path& shipped) {
    const auto packs = starterPacks(shipped);
    if (packs.empty()) {
        std::fprintf(
            err, "no starter pack: the program's catalogue %s was not found or lists none\n",
            shipped.empty() ? "(share/plimsa/packs.json)" : field((shipped / "packs.json").string()).c_str());
        return 1;
    }
    InstallReport report;
    for (const auto& pack : packs) report.append(CharacterLibrary::installShippedPack(pack, shipped));
    return print(report, out, err);
}

int importFiles(const std::vector<std::string>& files, std::FILE* out, std::FILE* err) {
    if (files.empty()) {
        std::fputs("--import needs at least one file (a .zip or .plimsapack pack, or a .glb model)\n", err);
        return 1;
    }
    int status = 0;
    for (const auto& file : files) status |= print(CharacterLibrary::importFile(file), out, err, file);
    return status;
}

}  // namespace

std::optional<int> LibraryCommands::run(const SnapshotArguments& arguments, std::FILE* out, std::FILE* err,
                                        const std::filesystem::path& shipped) {
    const auto& all = arguments.all();
    const auto form = std::find_if(all.begin(), all.end(), [](const std::string& argument) {
        return argument == "--characters" || argument == "--install-starter" || argument == "--import";
    });
    if (form == all.end()) return std::nullopt;
    if (*form == "--characters") return listCharacters(out, err, shipped);
    if (*form == "--install-starter") return installStarter(out, err, shipped);
    return importFiles(std::vector<std::string>(form + 1, all.end()), out, err);
}

}  // namespace plimsa
