#include "panel/quick/GeneralPageModel.h"

#include "config/Settings.h"
#include "panel/GeneralPage.h"

namespace plimsa {

GeneralPageModel::GeneralPageModel(QObject* parent) : QObject(parent) {}

void GeneralPageModel::setPanel(PanelModel* panel) {
    if (panel == panel_) return;
    disconnect(storeConnection_);
    panel_ = panel;
    if (panel_ != nullptr)
        storeConnection_ = connect(panel_, &PanelModel::storeChanged, this, &GeneralPageModel::valuesChanged);
    emit panelChanged();
    emit valuesChanged();
}

QString GeneralPageModel::title() const {
    return QString::fromUtf8(GeneralPage::kTitle);
}

QString GeneralPageModel::subtitle() const {
    return QString::fromUtf8(GeneralPage::kSubtitle);
}

QString GeneralPageModel::performanceHint() const {
    return QString::fromUtf8(GeneralPage::kPerformanceHint);
}

double GeneralPageModel::lightContrast() const {
    return panel_ != nullptr ? panel_->services().settings.v().lightContrast : SettingsValues{}.lightContrast;
}

void GeneralPageModel::setLightContrast(double contrast) {
    if (panel_ != nullptr) GeneralPage::setLightContrast(panel_->services().settings, contrast);
}

int GeneralPageModel::frameRate() const {
    return panel_ != nullptr ? panel_->services().settings.v().frameRate : SettingsValues{}.frameRate;
}

void GeneralPageModel::setFrameRate(int rate) {
    if (panel_ != nullptr) GeneralPage::setFrameRate(panel_->services().settings, rate);
}

QVariantList GeneralPageModel::frameRateOptions() const {
    QVariantList options;
    for (const auto& [rate, label] : GeneralPage::frameRateOptions())
        options.append(QVariantMap{{QStringLiteral("value"), rate},
                                   {QStringLiteral("label"), QString::fromStdString(label)}});
    return options;
}

}  // namespace plimsa
