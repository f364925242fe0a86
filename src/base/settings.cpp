#include "settings.h"

#include "runtimeerror.h"
#include "safewrite.h"
#include "scratchfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <cmath>

namespace {

QString keyOf(const QString& section, const QString& key) {
    return section + QLatin1Char('/') + key;
}

// The file's bytes; none when it is missing or cannot be read, as the
// settings store itself takes it.
QByteArray readIni(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString userIniPath() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("qvrs"),
                     QStringLiteral("qvrs"))
        .fileName();
}

bool sameContent(const QSettings& a, const QSettings& b) {
    const QStringList keys = a.allKeys();
    if (keys != b.allKeys())
        return false;
    for (const QString& key : keys)
        if (a.value(key) != b.value(key))
            return false;
    return true;
}

// The folder of the store's private copies. Qt writes a copy after every
// change, waiting for the disk each time; the desktop's runtime folder is
// kept in memory on a desktop, so that nothing waits there. Elsewhere the
// temporary folder serves. The folders of runs that were killed go first.
std::unique_ptr<ScratchFolder> scratchFolder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir()) {
        ScratchFolder::removeAbandoned(runtime);
        auto folder = std::make_unique<ScratchFolder>(runtime);
        if (folder->isValid())
            return folder;
    }
    ScratchFolder::removeAbandoned(QDir::tempPath());
    return std::make_unique<ScratchFolder>(QDir::tempPath());
}

} // namespace

void Settings::DropCopy::operator()(QSettings* store) const {
    const QString copy = store->fileName();
    delete store;
    if (!copy.isEmpty())
        QFile::remove(copy);
}

Settings::Settings() : Settings(userIniPath()) {}

Settings::Settings(const QString& iniPath) : m_path(iniPath), m_scratch(scratchFolder()) {
    load(readIni(m_path), {}, &m_store);
}

Settings::~Settings() {
    if (!m_changes.isEmpty())
        sync();
}

// A store over a new private copy of ini with the changes made in it. Its
// copy is written through the safe-write routine, so that a full temporary
// folder cannot hand the store a cut-off file. (The store always gets a
// fresh file name: Qt keeps what it has read of a file by its name.)
int Settings::load(const QByteArray& ini, const Changes& changes, Store* store) {
    // Without a temporary folder the store holds this run's values only.
    const QString copy = m_scratch->isValid()
                             ? m_scratch->filePath(QStringLiteral("%1.ini").arg(++m_copies))
                             : QString();
    const int error =
        copy.isEmpty()
            ? int(RuntimeError::PathNotFound)
            : WriteFileSafely(
                  copy, [&](QIODevice& device) { return device.write(ini) == ini.size(); },
                  SafeFile::Kind::Scratch);
    store->reset(new QSettings(copy, QSettings::IniFormat));
    for (auto it = changes.begin(); it != changes.end(); ++it) {
        if (it.value())
            (*store)->setValue(it.key(), *it.value());
        else
            (*store)->remove(it.key());
    }
    return error;
}

int Settings::sync() {
    Store merged;
    if (const int error = load(readIni(m_path), m_changes, &merged))
        return error;
    if (m_changes.isEmpty()) { // only the file read again
        m_store = std::move(merged);
        return 0;
    }
    merged->sync();
    if (merged->status() != QSettings::NoError)
        return RuntimeError::DeviceIo;
    // The text the store wrote, read back by a store of its own: what the
    // file will hold.
    const QByteArray ini = readIni(merged->fileName());
    Store check;
    if (const int error = load(ini, {}, &check))
        return error;
    if (!sameContent(*merged, *check))
        return RuntimeError::DeviceIo;
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    if (const int error = WriteFileSafely(m_path, ini))
        return error;
    m_store = std::move(check);
    m_changes.clear();
    return 0;
}

QString Settings::text(const QString& section, const QString& key,
                       const QString& defaultValue) const {
    const QVariant v = m_store->value(keyOf(section, key));
    if (!v.isValid())
        return defaultValue;
    return v.toString();
}

double Settings::number(const QString& section, const QString& key, double defaultValue) const {
    const QVariant v = m_store->value(keyOf(section, key));
    if (!v.isValid())
        return defaultValue;
    double value = 0;
    if (!parseNumber(v.toString(), &value))
        throw RuntimeError(RuntimeError::TypeMismatch);
    return value;
}

void Settings::setText(const QString& section, const QString& key, const QString& value) {
    m_store->setValue(keyOf(section, key), value);
    m_changes[keyOf(section, key)] = value;
}

void Settings::setNumber(const QString& section, const QString& key, double value) {
    setText(section, key, numberText(value));
}

void Settings::remove(const QString& section, const QString& key) {
    m_store->remove(keyOf(section, key));
    m_changes[keyOf(section, key)] = std::nullopt;
}

bool Settings::parseNumber(const QString& text, double* value) {
    const QString t = text.trimmed();
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return false;
    *value = v;
    return true;
}

QString Settings::numberText(double value) {
    return QString::number(value, 'g', 15);
}
