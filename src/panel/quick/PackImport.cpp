#include "panel/quick/PackImport.h"

#include <QFile>

#include "library/CharacterPreviews.h"
#include "panel/quick/PanelModel.h"

namespace plimsa {

PackImport& PackImport::of(PanelModel& panel) {
    if (auto* existing = panel.findChild<PackImport*>(QString(), Qt::FindDirectChildrenOnly))
        return *existing;
    return *new PackImport(panel);
}

PackImport::PackImport(PanelModel& panel)
    : QObject(&panel), panel_(panel), queue_(panel.services().dispatch.serialQueue("plimsa.import")) {}

PackImport::~PackImport() = default;

void PackImport::importFiles(std::vector<std::filesystem::path> files) {
    if (files.empty()) return;
    run([files = std::move(files)] {
        CharacterLibrary::InstallReport report;
        for (const auto& file : files) report.append(CharacterLibrary::importFile(file));
        return report;
    });
}

void PackImport::installShipped(const Pack& pack) {
    run([pack] { return CharacterLibrary::installShippedPack(pack); });
}

void PackImport::setNotice(const QString& notice) {
    if (notice == notice_) return;
    notice_ = notice;
    emit changed();
}

void PackImport::run(std::function<CharacterLibrary::InstallReport()> work) {
    if (running_++ == 0) {
        notice_.clear();
        installed_.clear();
    }
    emit changed();
    Dispatch& dispatch = panel_.services().dispatch;
    std::weak_ptr<int> alive = lifetime_;
    queue_->post([this, &dispatch, alive, work = std::move(work)] {
        auto report = std::make_shared<CharacterLibrary::InstallReport>(work());
        dispatch.post([this, alive, report] {
            if (!alive.expired()) finish(*report);
        });
    });
}

void PackImport::finish(const CharacterLibrary::InstallReport& report) {
    for (const auto& name : report.installed) {
        panel_.services().previews.forget(name);
        const QString shown = QString::fromStdString(name);
        if (!installed_.contains(shown)) installed_.append(shown);
    }
    QStringList lines;
    if (!notice_.isEmpty()) lines.append(notice_);
    for (const auto& refusal : report.refused) lines.append(refusalLine(refusal));
    notice_ = lines.join(QLatin1Char('\n'));
    --running_;
    panel_.reloadLibrary();
    emit changed();
}

QString refusalLine(const CharacterLibrary::InstallReport::Refusal& refusal) {
    // The file dialog gives absolute paths; the file name is what the user picked.
    const std::filesystem::path path(refusal.what);
    const std::string shown =
        path.is_absolute() && path.has_filename() ? path.filename().string() : refusal.what;
    return QStringLiteral("refused %1: %2")
        .arg(QFile::decodeName(shown.c_str()), QString::fromStdString(refusal.reason));
}

}  // namespace plimsa
