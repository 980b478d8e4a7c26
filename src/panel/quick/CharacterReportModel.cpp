#include "panel/quick/CharacterReportModel.h"

#include "library/CharacterPreviews.h"

namespace plimsa {

CharacterReportModel::CharacterReportModel(QObject* parent) : QObject(parent) {}

void CharacterReportModel::setPanel(PanelModel* panel) {
    if (panel == panel_) return;
    disconnect(connection_);
    panel_ = panel;
    if (panel_ != nullptr) {
        connection_ = connect(panel_, &PanelModel::reportChanged, this, [this](const QString& name) {
            if (name == name_) reload();
        });
    }
    emit panelChanged();
    reload();
}

void CharacterReportModel::setName(const QString& name) {
    if (name == name_) return;
    name_ = name;
    emit nameChanged();
    reload();
}

void CharacterReportModel::reload() {
    std::shared_ptr<const CharacterReport> report;
    if (panel_ != nullptr && !name_.isEmpty())
        report = panel_->services().previews.report(name_.toStdString());
    const bool known = report != nullptr;
    const QString summary = known ? QString::fromStdString(report->summary()) : QString();
    const QString details = known ? QString::fromStdString(report->text()).trimmed() : QString();
    const bool attention = known && report->needsAttention();
    if (known == known_ && summary == summary_ && details == details_ && attention == needsAttention_) return;
    known_ = known;
    summary_ = summary;
    details_ = details;
    needsAttention_ = attention;
    emit reportChanged();
}

}  // namespace plimsa
