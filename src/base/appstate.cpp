#include "appstate.h"

#include <QDir>
#include <QStandardPaths>

QString DataFolderPath(const AppState& app) {
    QString folder = app.DataFolder;
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(folder);
    return folder;
}

QString DefaultCardPath(const AppState& app) {
    return DataFolderPath(app) + QStringLiteral("/Data00.") + QStringLiteral("qcd");
}
