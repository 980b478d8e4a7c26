#include "platform/qt/QSettingsDefaults.h"

#include <QByteArray>
#include <QSettings>
#include <QVariant>

namespace plimsa {
namespace {

QString toQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

QSettingsDefaults::QSettingsDefaults()
    : QSettingsDefaults(QStringLiteral("Plimsa"), QStringLiteral("Plimsa")) {}

QSettingsDefaults::QSettingsDefaults(QString organisation, QString application)
    : organisation_(std::move(organisation)), application_(std::move(application)) {}

std::optional<std::string> QSettingsDefaults::data(std::string_view key) const {
    const QSettings settings(QSettings::NativeFormat, QSettings::UserScope, organisation_, application_);
    const QVariant value = settings.value(toQString(key));
    QByteArray bytes;
    switch (value.typeId()) {
        case QMetaType::QByteArray:
            bytes = value.toByteArray();
            break;
        case QMetaType::QString:
            bytes = value.toString().toUtf8();
            break;
        default:
            return std::nullopt;
    }
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

bool QSettingsDefaults::setData(std::string_view key, std::string_view bytes) {
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, organisation_, application_);
    settings.setAtomicSyncRequired(true);
    settings.setValue(toQString(key), QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    settings.sync();
    return settings.status() == QSettings::NoError;
}

std::unique_ptr<Defaults> QSettingsDefaults::suite(std::string_view name) const {
    const QString application = toQString(name);
    if (application.isEmpty() || application.contains(u'/') || application.contains(u'\\')) return nullptr;
    return std::make_unique<QSettingsDefaults>(organisation_, application);
}

}  // namespace plimsa
