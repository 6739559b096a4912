#include "Registry.h"

#include <QSettings>
#include <algorithm>

TRegistry::TRegistry()
    : settings_(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                            QStringLiteral("Kestrum"), QStringLiteral("Kestrum"))) {}

TRegistry::~TRegistry() {
    CloseKey();
}

bool TRegistry::OpenKey(const QString& key, bool canCreate) {
    QString group = key;
    group.replace(QChar('\\'), QChar('/'));
    while (group.startsWith(QChar('/')))
        group.remove(0, 1);
    settings_->beginGroup(group);
    const bool exists = !settings_->childKeys().isEmpty() || !settings_->childGroups().isEmpty();
    settings_->endGroup();
    key_ = group;
    return exists || canCreate;
}

void TRegistry::CloseKey() {
    settings_->sync();
}

QString TRegistry::path(const QString& name) const {
    return key_.isEmpty() ? name : key_ + QChar('/') + name;
}

bool TRegistry::ValueExists(const QString& name) const {
    return settings_->contains(path(name));
}

int TRegistry::ReadInteger(const QString& name) const {
    return settings_->value(path(name)).toInt();
}

bool TRegistry::ReadBool(const QString& name) const {
    return settings_->value(path(name)).toBool();
}

void TRegistry::WriteInteger(const QString& name, int value) {
    settings_->setValue(path(name), value);
}

void TRegistry::WriteBool(const QString& name, bool value) {
    settings_->setValue(path(name), value);
}

QRect FitWindowPlacement(const QRect& frame, const QRect& available) {
    if (available.isEmpty()) return frame;
    QRect fitted(frame.topLeft(), frame.size().boundedTo(available.size()));
    fitted.moveLeft(std::clamp(fitted.left(), available.left(), available.right() - fitted.width() + 1));
    fitted.moveTop(std::clamp(fitted.top(), available.top(), available.bottom() - fitted.height() + 1));
    return fitted;
}
