#include "Registry.h"

#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <QWidget>
#include <algorithm>

#include "Streams.h"

namespace {

// Nothing larger than a window can be; a position kept as far out again leaves the sums within an int.
constexpr qint64 largest = QWIDGETSIZE_MAX;

QString configFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

QString settingsFilePath() {
    return configFolder() + QStringLiteral("/Kestrum/Kestrum.ini");
}

QString fileDialogSettingsPath() {
    return configFolder() + QStringLiteral("/QtProject.conf");
}

// Why a settings file cannot be used, or empty when it is a regular file or absent. Opening a pipe would
// wait for a writer for ever, so only regular files are read or written.
QString settingsFileRefusal(const QString& path) {
    const TFileKind kind = FileKindOf(QFile::encodeName(path).toStdString());
    if (kind == TFileKind::Missing || kind == TFileKind::Regular) return QString();
    return QString::fromStdString(NotRegularFileMessage(path.toStdString(), kind));
}

} // namespace

QString GuardSettingsFiles() {
    QStringList unkept;
    const QString placement = settingsFileRefusal(settingsFilePath());
    if (!placement.isEmpty())
        unkept << QStringLiteral("The window placement is not kept: ") + placement + '.';
    const QString history = settingsFileRefusal(fileDialogSettingsPath());
    if (!history.isEmpty()) {
        // The dialogs open their history whenever one is made, and a pipe would block the program there.
        // A folder below a device can never be made, so the history is neither read nor written.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QStringLiteral("/dev/null/Kestrum"));
        unkept << QStringLiteral("The file dialogs' history is not kept: ") + history + '.';
    }
    return unkept.join('\n');
}

TRegistry::TRegistry() {
    const QString path = settingsFilePath();
    if (settingsFileRefusal(path).isEmpty())
        settings_ = std::make_unique<QSettings>(path, QSettings::IniFormat);
}

TRegistry::~TRegistry() {
    CloseKey();
}

bool TRegistry::OpenKey(const QString& key, bool canCreate) {
    QString group = key;
    group.replace(QChar('\\'), QChar('/'));
    while (group.startsWith(QChar('/')))
        group.remove(0, 1);
    key_ = group;
    if (!settings_) return canCreate;
    settings_->beginGroup(group);
    const bool exists = !settings_->childKeys().isEmpty() || !settings_->childGroups().isEmpty();
    settings_->endGroup();
    return exists || canCreate;
}

void TRegistry::CloseKey() {
    if (settings_) settings_->sync();
}

QString TRegistry::path(const QString& name) const {
    return key_.isEmpty() ? name : key_ + QChar('/') + name;
}

bool TRegistry::ValueExists(const QString& name) const {
    return settings_ && settings_->contains(path(name));
}

std::optional<int> TRegistry::ReadWholeNumber(const QString& name) const {
    if (!settings_) return std::nullopt;
    bool whole = false;
    const int value = settings_->value(path(name)).toString().trimmed().toInt(&whole);
    return whole ? std::optional<int>(value) : std::nullopt;
}

bool TRegistry::ReadBool(const QString& name) const {
    return settings_ && settings_->value(path(name)).toBool();
}

void TRegistry::WriteInteger(const QString& name, int value) {
    if (settings_) settings_->setValue(path(name), value);
}

void TRegistry::WriteBool(const QString& name, bool value) {
    if (settings_) settings_->setValue(path(name), value);
}

QRect FitWindowPlacement(const QRect& frame, const QRect& available) {
    if (available.isEmpty()) return frame;
    // In 64 bits: the frame may come from a stored placement and lie anywhere an int reaches.
    const auto fit = [](qint64 start, qint64 length, qint64 areaStart, qint64 areaLength) {
        length = std::clamp<qint64>(length, 1, areaLength);
        return std::pair<int, int>(int(std::clamp(start, areaStart, areaStart + areaLength - length)),
                                   int(length));
    };
    const auto [x, width] = fit(frame.x(), frame.width(), available.x(), available.width());
    const auto [y, height] = fit(frame.y(), frame.height(), available.y(), available.height());
    return QRect(x, y, width, height);
}

QRect StoredFrame(const TStoredPlacement& stored, const QRect& designed, const QSize& least,
                  const QSize& edges) {
    const auto length = [](std::optional<int> value, int designedLength, int leastLength, int edge) {
        const qint64 client = value && *value >= leastLength ? *value : designedLength;
        return int(std::min<qint64>(client + edge, largest));
    };
    const auto start = [](std::optional<int> value, int designedStart) {
        return int(std::clamp<qint64>(value.value_or(designedStart), -largest, largest));
    };
    return QRect(start(stored.left, designed.x()), start(stored.top, designed.y()),
                 length(stored.width, designed.width(), least.width(), edges.width()),
                 length(stored.height, designed.height(), least.height(), edges.height()));
}
