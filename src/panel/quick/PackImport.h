#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "library/CharacterLibrary.h"
#include "platform/desktop/Dispatch.h"

namespace plimsa {

class PanelModel;

/// The packs page's imports and installs, run one at a time on the serial queue "plimsa.import", never on
/// the GUI thread. One per panel window, a child of its `PanelModel`, so that an import outlives the page
/// that started it and still refreshes the panel. Each result comes back through the main queue: the
/// installed characters' thumbnails are forgotten (memory and cache file, so the next one is rendered
/// anew), the panel re-reads the library, and the refusals become `notice`. Main thread only; destroying
/// it waits for the job under way and drops its result.
class PackImport : public QObject {
    Q_OBJECT

  public:
    /// The panel's one instance, made on first use.
    static PackImport& of(PanelModel& panel);

    explicit PackImport(PanelModel& panel);
    ~PackImport() override;

    /// Imports each file as `CharacterLibrary::importFile` does; nothing for an empty list.
    void importFiles(std::vector<std::filesystem::path> files);
    /// `CharacterLibrary::installShippedPack`.
    void installShipped(const Pack& pack);

    /// Whether a job is queued or under way.
    bool busy() const { return running_ > 0; }
    /// What the last jobs could not do, one "refused X: reason" line each; "" when they refused nothing.
    /// Cleared when a job starts while none is running.
    const QString& notice() const { return notice_; }
    /// The characters the last jobs added, each once, in order; cleared like `notice`.
    const QStringList& installed() const { return installed_; }
    /// Replaces `notice` with a message of the page's own.
    void setNotice(const QString& notice);

  signals:
    /// `busy`, `notice` or `installed` changed.
    void changed();

  private:
    void run(std::function<CharacterLibrary::InstallReport()> work);
    void finish(const CharacterLibrary::InstallReport& report);

    PanelModel& panel_;
    int running_ = 0;
    QString notice_;
    QStringList installed_;
    // Results posted to the main queue are delivered only while this object lives.
    std::shared_ptr<int> lifetime_ = std::make_shared<int>(0);
    std::unique_ptr<SerialQueue> queue_;
};

/// The refusal as the page shows it: "refused pack.zip: no .glb inside" (an absolute path shortened to its
/// file name). Any thread.
QString refusalLine(const CharacterLibrary::InstallReport::Refusal& refusal);

}  // namespace plimsa
