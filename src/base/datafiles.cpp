#include "datafiles.h"

#include <QCoreApplication>
#include <QFileInfo>

QString FindDataFile(const QString& relativePath) {
    const QString candidates[] = {
        QCoreApplication::applicationDirPath() + QLatin1Char('/') + relativePath,
        QCoreApplication::applicationDirPath() + QStringLiteral("/../share/quillo/") + relativePath,
        QStringLiteral(QUILLO_DATA_DIR) + QLatin1Char('/') + relativePath,
    };
    for (const QString& path : candidates) {
        if (QFileInfo(path).isFile())
            return path;
    }
    return {};
}
