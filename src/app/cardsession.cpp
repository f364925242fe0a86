#include "cardsession.h"

#include "app/newcard.h"
#include "app/session.h"
#include "base/runtimeerror.h"
#include "base/safewrite.h"
#include "base/uiservices.h"
#include "document/cardfile.h"
#include "document/cardformat.h"
#include "editor/cardimage.h"
#include "editor/cardrenderer.h"
#include "editor/itemlayout.h"
#include "editor/logofile.h"
#include "picture/cardpicture.h"

namespace {

// The card a new card starts as, without any of NewCard's effects on the
// printer or the editor: what a 1.1 file does not carry keeps these values.
Card freshCardFor(Session& s) {
    Card card;
    card.PrnScaleH = s.doc.card.PrnScaleH;
    card.PrnScaleW = s.doc.card.PrnScaleW;
    card.PrnPaperH = s.doc.card.PrnPaperH;
    card.PrnPaperW = s.doc.card.PrnPaperW;
    ResetLines(card, CurrentFontName(s));
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
        const QSizeF size = CardRenderer::measureText(CardRenderer::drawnPart(t, CardSize(card)));
        StoreMeasuredSize(t, size.width(), size.height());
    }
    return horizontal;
}

QString Format20Question(const QStringList& lost) {
    QString text = QStringLiteral("名刺ﾌｧｲﾙ2.0 (.qmd) には次のものを保存できません。");
    for (const QString& what : lost)
        text += QStringLiteral("\r\n・") + what;
    return text + QStringLiteral("\r\nこれらを除いて保存します。よろしいですか？");
}

void reportReadError(Session& s, const RuntimeError& e, const QString& path) {
    const bool missing =
        e.number() == RuntimeError::FileNotFound || e.number() == RuntimeError::PathNotFound;
    const QString detail = UiServices::fileDetail(path, ReadFailureHint(e.number()));
    if (missing)
        s.ui().message(QStringLiteral("ファイルが見つかりませんでした。"), detail);
    else
        s.ui().message(e.message(), detail);
}

void reportWriteError(Session& s, int number, const QString& path) {
    s.ui().beep();
    s.ui().message(WriteErrorMessage(number, path), UiServices::fileDetail(path, QString()));
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

CardImageOptions CardImageLook(Session& s) {
    s.app.ImgScale = std::clamp(s.app.ImgScale, 1, MaxImgScale);
    CardImageOptions o;
    o.scale = s.app.ImgScale;
    o.twipsPerPixelX = s.app.TppX;
    o.twipsPerPixelY = s.app.TppY;
    return o;
}

QImage RenderOpenCard(Session& s, bool withPicture, bool withText) {
    if (withPicture)
        PrepareCardPicture(s.doc, s.ui(), s.app);
    if (withText)
        PrepareCardLogo(s.doc, s.ui());
    CardImageOptions look = CardImageLook(s);
    look.withPicture = withPicture;
    look.withText = withText;
    return RenderCardImage(s.doc.card, s.doc.pictureImage(), s.doc.logoImage(), look, s.ui());
}

bool ExportOpenCard(Session& s, const QString& path) {
    PrepareCardPicture(s.doc, s.ui(), s.app);
    PrepareCardLogo(s.doc, s.ui());
    return ExportCardImage(s.doc.card, s.doc.pictureImage(), s.doc.logoImage(), CardImageLook(s),
                           s.ui(), path);
}

QString CaptionFor(const QString& path) {
    return QStringLiteral("Quillo 2.40   ") + path;
}

void SetCaption(Session& s) {
    s.doc.announcePath();
}

bool OpenCardFile(Session& s, const QString& path) {
    const CardFormat format = CardFormatOf(path);
    try {
        if (format != CardFormat::V22 && format != CardFormat::V20 && format != CardFormat::V11) {
            s.ui().message(
                QStringLiteral("「%1」は名刺ファイルではありません。\r\n"
                               "名刺ファイル (.qcd、.qmd、.qms) を選んでください。")
                    .arg(path),
                UiServices::fileDetail(path, QStringLiteral("名刺ファイルとして読めません")));
            return false;
        }
        Card card = format == CardFormat::V11 ? freshCardFor(s) : s.doc.card;
        ReadCardFile(path, card);

        QString newPath = path;
        if (format == CardFormat::V11) {
            // A 1.1 card starts from a whole new card; what the file carries
            // is then laid over it.
            NewCard(s);
            card.PrnScaleH = s.doc.card.PrnScaleH;
            card.PrnScaleW = s.doc.card.PrnScaleW;
            card.PrnPaperH = s.doc.card.PrnPaperH;
            card.PrnPaperW = s.doc.card.PrnPaperW;
        }
        if (format != CardFormat::V22)
            newPath = path.left(path.size() - 3) + QStringLiteral("qcd");
        card.TextItems[LineCount] = s.doc.card.TextItems[LineCount];
        s.doc.card = card;
        s.doc.CardPath = newPath;
        SetCaption(s);
        ShowCardData(s);
        s.doc.history().reset();
        // A card file may hold what the renderer cannot draw as it stands:
        // the user hears of it once, here, and not at every drawing.
        const QString notice = DrawingLimitsNotice(s.doc.card);
        if (!notice.isEmpty())
            s.ui().message(notice);
        return true;
    } catch (const RuntimeError& e) {
        const bool missing =
            e.number() == RuntimeError::FileNotFound || e.number() == RuntimeError::PathNotFound;
        if (missing && s.app.StartupFlg == 1) {
            NewCard(s);
            return false;
        }
        reportReadError(s, e, path);
        return false;
    }
}

bool SaveCardFile(Session& s) {
    const QString path = s.doc.CardPath;
    const CardFormat format = CardFormatOf(path);
    switch (format) {
    case CardFormat::V22:
    case CardFormat::V20: {
        const QString problem = UnstorableCard(s.doc.card);
        if (!problem.isEmpty()) {
            s.ui().beep();
            s.ui().message(problem + QStringLiteral("\r\n何も保存していません。"));
            return false;
        }
        // Format 2.0 has no place for the writing direction, the QR code, the
        // logo, condensed lines, the merge or an upright card: the user is
        // asked once, with everything that would be lost; vertical lines are then written as
        // horizontal ones and the rest left out. The card itself keeps them all.
        const QStringList lost =
            format == CardFormat::V20 ? Format20Losses(s.doc.card) : QStringList();
        if (!lost.isEmpty() && s.ui().messageBox(Format20Question(lost), UiServices::title(),
                                                 UiServices::YesNo) != UiServices::AnswerYes)
            return false;
        const bool flatten = format == CardFormat::V20 && hasVerticalLines(s.doc.card);
        const int error = WriteCardFile(path, flatten ? horizontalCard(s.doc.card) : s.doc.card);
        if (error != 0) {
            reportWriteError(s, error, path);
            return false;
        }
        break;
    }
    case CardFormat::ImageBmp:
    case CardFormat::ImageJpg:
    case CardFormat::ImagePng:
        // A picture of the card is no card file: the card keeps its own
        // file, caption and changed state.
        return ExportOpenCard(s, path);
    default:
        s.ui().message(QStringLiteral("「%1」には保存できません。名前の末尾を .qcd、.qmd、.jpg、"
                                      ".bmp のいずれかにしてください。\r\n何も保存していません。")
                           .arg(path));
        return false;
    }
    SetCaption(s);
    s.doc.history().markSaved();
    return true;
}
