#include "settings.h"

#include "runtimeerror.h"

#include <QSettings>

#include <cmath>

Settings::Settings()
    : m_store(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                          QStringLiteral("qvrs"), QStringLiteral("qvrs"))) {}

Settings::Settings(const QString& iniPath)
    : m_store(std::make_unique<QSettings>(iniPath, QSettings::IniFormat)) {}

Settings::~Settings() = default;

static QString keyOf(const QString& section, const QString& key) {
    return section + QLatin1Char('/') + key;
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
}

void Settings::setNumber(const QString& section, const QString& key, double value) {
    setText(section, key, numberText(value));
}

void Settings::remove(const QString& section, const QString& key) {
    m_store->remove(keyOf(section, key));
}

void Settings::sync() {
    m_store->sync();
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
