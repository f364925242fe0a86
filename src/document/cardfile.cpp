#include "cardfile.h"

#include "app/runtimeerror.h"
#include "app/uiservices.h"
#include "cardformat.h"
#include "cardview.h"
#include "cp932.h"
#include "editor/cardimage.h"
#include "fields.h"
#include "newcard.h"
#include "tavormain.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <sys/stat.h>

namespace {

// A card file holds a few kilobytes; its fields always lie within this much
// of the start, and nothing after the last field is ever looked at.
constexpr qint64 MaxCardBytes = 8 * 1024 * 1024;

QByteArray readCardBytes(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    if (path.isEmpty())
        throw RuntimeError(RuntimeError::BadFileName);
    if (::stat(native.constData(), &st) != 0) {
        if (errno == ENOENT) {
            const QString folder = QFileInfo(path).absolutePath();
            throw RuntimeError(QFileInfo(folder).isDir() ? RuntimeError::FileNotFound
                                                          : RuntimeError::PathNotFound);
        }
        if (errno == EACCES)
            throw RuntimeError(RuntimeError::PermissionDenied);
        throw RuntimeError(RuntimeError::PathFileAccess);
    }
    // A folder, a FIFO or a device is no card file; opening a FIFO would block.
    if (!S_ISREG(st.st_mode))
        throw RuntimeError(RuntimeError::PathFileAccess);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw RuntimeError(file.error() == QFileDevice::PermissionsError
                               ? RuntimeError::PermissionDenied
                               : RuntimeError::PathFileAccess);
    QByteArray bytes = file.read(MaxCardBytes);
    if (file.error() != QFileDevice::NoError)
        throw RuntimeError(RuntimeError::DeviceIo);
    return bytes;
}

// The card a new card starts as, without any of NewCard's effects on the
// printer or the editor: what a 1.1 file does not carry keeps these values.
Card freshCardFor(TavorMain& m) {
    Card card;
    card.PrnScaleH = m.card.PrnScaleH;
    card.PrnScaleW = m.card.PrnScaleW;
    card.PrnPaperH = m.card.PrnPaperH;
    card.PrnPaperW = m.card.PrnPaperW;
    ResetLines(card, CurrentFontName(m));
    return card;
}

void reportReadError(TavorMain& m, const RuntimeError& e) {
    const bool missing = e.number() == RuntimeError::FileNotFound ||
                         e.number() == RuntimeError::PathNotFound;
    if (missing)
        m.ui().message(QStringLiteral("ファイルが見つかりませんでした。"));
    else
        m.ui().message(e.message());
}

// Characters the card file cannot hold: a double quote ends a string field,
// a line break would split a record, and the file is CP932.
QString checkRepresentable(const Card& card) {
    const auto problem = UnstorableText;
    QString p = problem(QStringLiteral("背景画像のファイル名"), card.PicPath);
    if (!p.isEmpty())
        return p;
    for (int k = 0; k < LineCount; ++k) {
        const TextItem& t = card.TextItems[k];
        p = problem(TabCaption(k), t.Text);
        if (p.isEmpty())
            p = problem(TabCaption(k) + QStringLiteral(" のフォント名"), t.FontName);
        if (!p.isEmpty())
            return p;
    }
    return {};
}

int writeErrorNumber(const QFileDevice& file, int savedErrno) {
    switch (savedErrno) {
    case ENOSPC:
    case EDQUOT: return RuntimeError::DiskFull;
    case EACCES:
    case EPERM:
    case EROFS: return RuntimeError::PermissionDenied;
    case ENOENT:
    case ENOTDIR: return RuntimeError::PathNotFound;
    case EISDIR: return RuntimeError::PathFileAccess;
    default: break;
    }
    switch (file.error()) {
    case QFileDevice::PermissionsError: return RuntimeError::PermissionDenied;
    case QFileDevice::OpenError: return RuntimeError::PathFileAccess;
    default: return RuntimeError::DeviceIo;
    }
}

// Writes the whole text as CP932 to path; the old file stays intact until the
// new one is complete. Returns the error number, 0 on success.
int writeCardText(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly))
        return writeErrorNumber(file, errno);
    errno = 0;
    if (file.write(bytes) != bytes.size()) {
        const int n = writeErrorNumber(file, errno);
        file.cancelWriting();
        return n;
    }
    // QSaveFile's commit does not notice a failed flush (a full disk): it
    // would put an empty file in place of the old one. Flush first.
    errno = 0;
    if (!file.flush()) {
        const int n = writeErrorNumber(file, errno);
        file.cancelWriting();
        return n;
    }
    errno = 0;
    if (!file.commit())
        return writeErrorNumber(file, errno);
    return 0;
}

void reportWriteError(TavorMain& m, int number) {
    m.ui().beep();
    m.ui().message(QStringLiteral("書き込みエラーです。 # ") + QString::number(number) +
                   QLatin1Char('\r') + RuntimeError::describe(number));
}

} // namespace

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

bool CheckPicturePath(TavorMain& m, const QString& path) {
    const QString problem = UnstorableText(QStringLiteral("背景画像のファイル名"), path);
    if (problem.isEmpty())
        return true;
    m.ui().beep();
    m.ui().message(problem + QStringLiteral("\r\nこの画像は背景にできません。"));
    return false;
}

QString CaptionFor(const QString& path) { return QStringLiteral("Quillo 2.40   ") + path; }

void SetCaption(TavorMain& m, const QString& path) { m.view().setCaption(CaptionFor(path)); }

bool OpenCardFile(TavorMain& m, const QString& path) {
    const CardFormat format = CardFormatOf(path);
    try {
        if (format != CardFormat::V22 && format != CardFormat::V20 && format != CardFormat::V11) {
            m.ui().message(QStringLiteral("「%1」は名刺ファイルではありません。\r\n"
                                          "名刺ファイル (.qcd、.qmd、.qms) を選んでください。")
                               .arg(path));
            return false;
        }
        FieldReader in(Cp932::decode(readCardBytes(path)));
        Card card = format == CardFormat::V11 ? freshCardFor(m) : m.card;
        switch (format) {
        case CardFormat::V22: ReadCard22(in, card); break;
        case CardFormat::V20: ReadCard20(in, card); break;
        default: ReadCard11(in, card); break;
        }

        QString newPath = path;
        if (format == CardFormat::V11) {
            // A 1.1 card starts from a whole new card; what the file carries
            // is then laid over it.
            NewCard(m);
            card.PrnScaleH = m.card.PrnScaleH;
            card.PrnScaleW = m.card.PrnScaleW;
            card.PrnPaperH = m.card.PrnPaperH;
            card.PrnPaperW = m.card.PrnPaperW;
        }
        if (format != CardFormat::V22)
            newPath = path.left(path.size() - 3) + QStringLiteral("qcd");
        card.TextItems[LineCount] = m.card.TextItems[LineCount];
        m.card = card;
        m.CardPath = newPath;
        m.CardPathFromExport = false;
        SetCaption(m, m.CardPath);
        ShowCardData(m);
        m.ChangedFlg = 0;
        return true;
    } catch (const RuntimeError& e) {
        const bool missing = e.number() == RuntimeError::FileNotFound ||
                             e.number() == RuntimeError::PathNotFound;
        if (missing && m.app.StartupFlg == 1) {
            NewCard(m);
            return false;
        }
        reportReadError(m, e);
        return false;
    }
}

bool SaveCardFile(TavorMain& m) {
    const QString path = m.CardPath;
    const CardFormat format = CardFormatOf(path);
    switch (format) {
    case CardFormat::V22:
    case CardFormat::V20: {
        const QString problem = checkRepresentable(m.card);
        if (!problem.isEmpty()) {
            m.ui().beep();
            m.ui().message(problem + QStringLiteral("\r\n何も保存していません。"));
            return false;
        }
        const QString text = format == CardFormat::V22 ? WriteCard22(m.card) : WriteCard20(m.card);
        const auto bytes = Cp932::encode(text);
        const int error = bytes ? writeCardText(path, *bytes) : int(RuntimeError::InvalidCall);
        if (error != 0) {
            reportWriteError(m, error);
            return false;
        }
        break;
    }
    case CardFormat::ImageBmp:
    case CardFormat::ImageJpg:
    case CardFormat::ImagePng:
        if (!ExportCardImage(m, path))
            return false;
        m.CardPath = StripExt(path) + QStringLiteral(".qcd");
        SetCaption(m, m.CardPath);
        m.ChangedFlg = 0;
        m.CardPathFromExport = true;
        return true;
    default:
        m.ui().message(QStringLiteral("「%1」には保存できません。名前の末尾を .qcd、.qmd、.jpg、"
                                      ".bmp のいずれかにしてください。\r\n何も保存していません。")
                           .arg(path));
        return false;
    }
    SetCaption(m, m.CardPath);
    m.ChangedFlg = 0;
    m.CardPathFromExport = false;
    return true;
}
