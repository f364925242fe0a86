#include "cardsession.h"

#include "app/newcard.h"
#include "base/runtimeerror.h"
#include "base/safewrite.h"
#include "base/uiservices.h"
#include "document/cardfile.h"
#include "document/cardformat.h"
#include "document/cardview.h"
#include "document/tavormain.h"
#include "editor/cardimage.h"
#include "editor/cardrenderer.h"
#include "editor/itemlayout.h"

namespace {

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

bool hasVerticalLines(const Card& card) {
    for (int k = 0; k < LineCount; ++k)
        if (card.TextItems[k].Tategaki)
            return true;
    return false;
}

// The card with every line written left to right, measured so: what a file
// without writing directions can hold.
Card horizontalCard(const Card& card) {
    Card horizontal = card;
    for (int k = 0; k < LineCount; ++k) {
        TextItem& t = horizontal.TextItems[k];
        if (!t.Tategaki)
            continue;
        t.Tategaki = false;
        const QSizeF size = CardRenderer::measureText(t);
        StoreMeasuredSize(t, size.width(), size.height());
    }
    return horizontal;
}

void reportReadError(TavorMain& m, const RuntimeError& e, const QString& path) {
    const bool missing =
        e.number() == RuntimeError::FileNotFound || e.number() == RuntimeError::PathNotFound;
    const QString detail = UiServices::fileDetail(path, ReadFailureHint(e.number()));
    if (missing)
        m.ui().message(QStringLiteral("ファイルが見つかりませんでした。"), detail);
    else
        m.ui().message(e.message(), detail);
}

void reportWriteError(TavorMain& m, int number, const QString& path) {
    m.ui().beep();
    m.ui().message(WriteErrorMessage(number), UiServices::fileDetail(path, QString()));
}

} // namespace

QString ReadFailureHint(int number) {
    switch (number) {
    case RuntimeError::FileNotFound:
    case RuntimeError::PathNotFound:
        return QStringLiteral("ファイルがありません");
    case RuntimeError::PermissionDenied:
        return QStringLiteral("ファイルを読む権限がありません");
    case RuntimeError::TypeMismatch:
    case RuntimeError::InputPastEnd:
    case RuntimeError::Overflow:
        return QStringLiteral("名刺ファイルとして読めません");
    default:
        return QStringLiteral("ファイルを読めません");
    }
}

QString CaptionFor(const QString& path) {
    return QStringLiteral("Quillo 2.40   ") + path;
}

void SetCaption(TavorMain& m, const QString& path) {
    m.view().setCaption(CaptionFor(path));
}

bool OpenCardFile(TavorMain& m, const QString& path) {
    const CardFormat format = CardFormatOf(path);
    try {
        if (format != CardFormat::V22 && format != CardFormat::V20 && format != CardFormat::V11) {
            m.ui().message(
                QStringLiteral("「%1」は名刺ファイルではありません。\r\n"
                               "名刺ファイル (.qcd、.qmd、.qms) を選んでください。")
                    .arg(path),
                UiServices::fileDetail(path, QStringLiteral("名刺ファイルとして読めません")));
            return false;
        }
        Card card = format == CardFormat::V11 ? freshCardFor(m) : m.card;
        ReadCardFile(path, card);

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
        m.history().reset();
        return true;
    } catch (const RuntimeError& e) {
        const bool missing =
            e.number() == RuntimeError::FileNotFound || e.number() == RuntimeError::PathNotFound;
        if (missing && m.app.StartupFlg == 1) {
            NewCard(m);
            return false;
        }
        reportReadError(m, e, path);
        return false;
    }
}

bool SaveCardFile(TavorMain& m) {
    const QString path = m.CardPath;
    const CardFormat format = CardFormatOf(path);
    switch (format) {
    case CardFormat::V22:
    case CardFormat::V20: {
        const QString problem = UnstorableCard(m.card);
        if (!problem.isEmpty()) {
            m.ui().beep();
            m.ui().message(problem + QStringLiteral("\r\n何も保存していません。"));
            return false;
        }
        // Format 2.0 has no place for the writing direction: vertical lines are written as
        // horizontal ones, if the user agrees; the card itself keeps them.
        const bool flatten = format == CardFormat::V20 && hasVerticalLines(m.card);
        if (flatten &&
            m.ui().messageBox(QStringLiteral("縦書きの行は横書きで保存されます。よろしいですか？"),
                              UiServices::title(), UiServices::YesNo) != UiServices::AnswerYes)
            return false;
        // Nor for the QR code: the file is written without it, and the user
        // is told so before.
        if (format == CardFormat::V20 && m.card.Qr.On)
            m.ui().message(QStringLiteral("名刺ﾌｧｲﾙ2.0 (.qmd) にはQRコードを保存できません。"
                                          "QRコードを除いて保存します。"));
        const int error = WriteCardFile(path, flatten ? horizontalCard(m.card) : m.card);
        if (error != 0) {
            reportWriteError(m, error, path);
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
        m.history().markSaved();
        m.CardPathFromExport = true;
        return true;
    default:
        m.ui().message(QStringLiteral("「%1」には保存できません。名前の末尾を .qcd、.qmd、.jpg、"
                                      ".bmp のいずれかにしてください。\r\n何も保存していません。")
                           .arg(path));
        return false;
    }
    SetCaption(m, m.CardPath);
    m.history().markSaved();
    m.CardPathFromExport = false;
    return true;
}
