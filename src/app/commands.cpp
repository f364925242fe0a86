#include "commands.h"

#include "app/cardsession.h"
#include "app/session.h"
#include "base/safewrite.h"
#include "base/settings.h"
#include "document/cardfile.h"
#include "document/cardformat.h"
#include "newcard.h"
#include "picture/cardpicture.h"
#include "recentcards.h"

#include <QFileInfo>

const char16_t* const OpenFilter = u"名刺ﾌｧｲﾙ2.2|*.qcd|名刺ﾌｧｲﾙ2.0|*.qmd|名刺ﾌｧｲﾙ1.1|*.qms|";
const char16_t* const SaveFilter = u"名刺ﾌｧｲﾙ2.2|*.qcd|Jpegﾌｧｲﾙ|*.jpg|ﾋﾞｯﾄﾏｯﾌﾟ|*.bmp|";

namespace {

// Saves the card under CardPath; a card file written goes on the recent list.
bool saveCard(Session& s) {
    if (!SaveCardFile(s))
        return false;
    RememberCard(s.settings(), s.doc.CardPath);
    return true;
}

bool isImageFile(const QString& path) {
    const CardFormat format = CardFormatOf(path);
    return format == CardFormat::ImageBmp || format == CardFormat::ImageJpg ||
           format == CardFormat::ImagePng;
}

} // namespace

UiServices::Answer AskSaveChanges(Session& s) {
    return s.ui().messageBox(
        QStringLiteral("このデータは変更されています。\rデータを保存しますか？\r"),
        UiServices::title(), UiServices::YesNoCancel);
}

bool SaveBeforeDiscarding(Session& s) {
    if (s.doc.ChangedFlg != 1)
        return true;
    switch (AskSaveChanges(s)) {
    case UiServices::AnswerYes:
        // The card is discarded only once it is safely stored.
        return s.doc.CardPath.isEmpty() ? ShowSaveDialog(s) : saveCard(s);
    case UiServices::AnswerNo:
        return true;
    default:
        return false;
    }
}

bool ShowOpenDialog(Session& s) {
    const auto name = s.ui().openFileName(s.doc.CardPath, QString::fromUtf16(OpenFilter));
    if (!name)
        return false;
    if (!OpenCardFile(s, *name))
        return false;
    RememberCard(s.settings(), *name);
    return true;
}

void ShowOpenedCard(Session& s) {
    LoadCardPicture(s.doc, s.ui(), s.app);
    // Undo goes back no further than the card as it was opened and drawn.
    s.doc.history().reset();
}

bool ShowSaveDialog(Session& s) {
    const auto name =
        s.ui().saveFileName(s.doc.CardPath, QString::fromUtf16(SaveFilter), QStringLiteral("qcd"));
    if (!name)
        return false;
    if (isImageFile(*name)) {
        // A picture of the card is no card file: the card keeps its own
        // file, caption and changed state, and is still to be saved.
        ExportOpenCard(s, *name);
        return false;
    }
    const QString previous = s.doc.CardPath;
    s.doc.CardPath = *name;
    if (saveCard(s))
        return true;
    // Nothing was written: the card keeps the name it had.
    s.doc.CardPath = previous;
    return false;
}

bool Sinki(Session& s) {
    if (!SaveBeforeDiscarding(s))
        return false;
    NewCard(s);
    return true;
}

bool LoadHiraku(Session& s) {
    if (!SaveBeforeDiscarding(s))
        return false;
    const bool opened = ShowOpenDialog(s);
    if (opened)
        ShowOpenedCard(s);
    return opened;
}

bool SaveUwagaki(Session& s) {
    if (CardFormatOf(s.doc.CardPath) != CardFormat::V22)
        return ShowSaveDialog(s);
    return saveCard(s);
}

bool SaveName(Session& s) {
    return ShowSaveDialog(s);
}

bool FormUnload(Session& s) {
    if (!SaveBeforeDiscarding(s))
        return false;
    Settings& settings = s.settings();
    settings.setText(QStringLiteral("sti"), QStringLiteral("file"), s.doc.CardPath);
    settings.setNumber(QStringLiteral("sti"), QStringLiteral("ify"), s.app.IsfkY);
    settings.setNumber(QStringLiteral("sti"), QStringLiteral("ifx"), s.app.IsfkX);
    // The window closes all the same; the settings file keeps what it held.
    if (const int error = settings.sync())
        s.ui().message(WriteErrorMessage(error, settings.fileName()),
                       UiServices::fileDetail(settings.fileName()));
    return true;
}

bool CanOverwriteSave(const Session& s) {
    return !s.doc.CardPath.isEmpty();
}
