#include "document/cardfile.h"

#include "app/uiservices.h"
#include "document/tavormain.h"

bool ExportCardImage(TavorMain& m, const QString& path) {
    m.ui().message(QStringLiteral("「%1」: 画像への書き出しはまだできません。\r\n何も保存していません。")
                       .arg(path));
    return false;
}
