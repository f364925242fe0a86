#include "cardfile.h"

#include "base/filenames.h"
#include "base/runtimeerror.h"
#include "base/safewrite.h"
#include "base/uiservices.h"
#include "cardformat.h"
#include "cp932.h"
#include "fields.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A card file holds a few kilobytes; its fields always lie within this much
// of the start, and nothing after the last field is ever looked at.
constexpr qint64 MaxCardBytes = 8 * 1024 * 1024;

} // namespace

QByteArray ReadFileBytes(const QString& path, qint64 maxBytes) {
    // The name's own bytes, also where they are not UTF-8.
    const QByteArray native = NativeFileName(path);
    struct stat st {};
    if (path.isEmpty())
        throw RuntimeError(RuntimeError::BadFileName);
    if (::stat(native.constData(), &st) != 0) {
        if (errno == ENOENT) {
            const QString folder = QFileInfo(path).absolutePath();
            struct stat folderStat {};
            const bool folderThere = ::stat(NativeFileName(folder).constData(), &folderStat) == 0 &&
                                     S_ISDIR(folderStat.st_mode);
            throw RuntimeError(folderThere ? RuntimeError::FileNotFound
                                           : RuntimeError::PathNotFound);
        }
        if (errno == EACCES)
            throw RuntimeError(RuntimeError::PermissionDenied);
        throw RuntimeError(RuntimeError::PathFileAccess);
    }
    // A folder, a FIFO or a device is no card file; opening a FIFO would block.
    if (!S_ISREG(st.st_mode))
        throw RuntimeError(RuntimeError::PathFileAccess);
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw RuntimeError(errno == EACCES ? RuntimeError::PermissionDenied
                                           : RuntimeError::PathFileAccess);
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw RuntimeError(RuntimeError::PathFileAccess);
    }
    QByteArray bytes = file.read(maxBytes);
    if (file.error() != QFileDevice::NoError)
        throw RuntimeError(RuntimeError::DeviceIo);
    return bytes;
}

// Characters the card file cannot hold: a double quote ends a string field,
// a line break would split a record, and the file is CP932.
QString UnstorableCard(const Card& card) {
    QString p = UnstorableText(QStringLiteral("背景画像のファイル名"), card.PicPath);
    if (p.isEmpty())
        p = UnstorableText(LogoPathName(), card.Logo.Path);
    if (p.isEmpty())
        p = UnstorableText(QStringLiteral("差し込み印刷の名簿ファイル名"), card.Merge);
    if (!p.isEmpty())
        return p;
    for (int k = 0; k < LineCount; ++k) {
        const TextItem& t = card.TextItems[k];
        p = UnstorableText(TabCaption(k), t.Text);
        if (p.isEmpty())
            p = UnstorableText(TabCaption(k) + QStringLiteral(" のフォント名"), t.FontName);
        if (!p.isEmpty())
            return p;
    }
    return {};
}

QString UnstorableText(const QString& what, const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'"' || c == u'\r' || c == u'\n') {
            const QString shown = c == u'"' ? QStringLiteral("\"") : QStringLiteral("改行");
            return QStringLiteral("「%1」に保存できない文字「%2」があります。").arg(what, shown);
        }
    }
    const QString bad = Cp932::firstUnencodable(text);
    if (!bad.isEmpty())
        return QStringLiteral("「%1」にこの形式で保存できない文字「%2」(U+%3)があります。")
            .arg(what, bad, QString::number(bad.at(0).unicode(), 16).toUpper());
    return {};
}

QString LogoPathName() {
    return QStringLiteral("ロゴのファイル名");
}

bool CheckPicturePath(UiServices& ui, const QString& path) {
    const QString problem = UnstorableText(QStringLiteral("背景画像のファイル名"), path);
    if (problem.isEmpty())
        return true;
    ui.beep();
    ui.message(problem + QStringLiteral("\r\nこの画像は背景にできません。"));
    return false;
}

void ReadCardFile(const QString& path, Card& card) {
    const CardFormat format = CardFormatOf(path);
    FieldReader in(Cp932::decode(ReadFileBytes(path, MaxCardBytes)));
    switch (format) {
    case CardFormat::V22:
        ReadCard22(in, card);
        break;
    case CardFormat::V20:
        ReadCard20(in, card);
        break;
    case CardFormat::V11:
        ReadCard11(in, card);
        break;
    default:
        throw RuntimeError(RuntimeError::BadFileName);
    }
}

int WriteCardFile(const QString& path, const Card& card) {
    const CardFormat format = CardFormatOf(path);
    if (format != CardFormat::V22 && format != CardFormat::V20)
        return RuntimeError::BadFileName;
    const QString text = format == CardFormat::V22 ? WriteCard22(card) : WriteCard20(card);
    const auto bytes = Cp932::encode(text);
    return bytes ? WriteFileSafely(path, *bytes) : int(RuntimeError::InvalidCall);
}
