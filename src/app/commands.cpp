#include "commands.h"

#include "app/cardsession.h"
#include "base/safewrite.h"
#include "base/settings.h"
#include "document/cardfile.h"
#include "document/cardformat.h"
#include "document/cardview.h"
#include "document/tavormain.h"
#include "newcard.h"
#include "picture/cardpicture.h"
#include "recentcards.h"

#include <QFileInfo>

const char16_t* const OpenFilter = u"名刺ﾌｧｲﾙ2.2|*.qcd|名刺ﾌｧｲﾙ2.0|*.qmd|名刺ﾌｧｲﾙ1.1|*.qms|";
const char16_t* const SaveFilter = u"名刺ﾌｧｲﾙ2.2|*.qcd|Jpegﾌｧｲﾙ|*.jpg|ﾋﾞｯﾄﾏｯﾌﾟ|*.bmp|";

namespace {

// Saves the card under CardPath; a card file written goes on the recent list.
bool saveCard(TavorMain& m) {
    if (!SaveCardFile(m))
        return false;
    if (!m.CardPathFromExport)
        RememberCard(m.settings(), m.CardPath);
    return true;
}

} // namespace

UiServices::Answer AskSaveChanges(TavorMain& m) {
    return m.ui().messageBox(
        QStringLiteral("このデータは変更されています。\rデータを保存しますか？\r"),
        UiServices::title(), UiServices::YesNoCancel);
}

bool SaveBeforeDiscarding(TavorMain& m) {
    if (m.ChangedFlg != 1)
        return true;
    switch (AskSaveChanges(m)) {
    case UiServices::AnswerYes:
        // The card is discarded only once it is safely stored.
        return m.CardPath.isEmpty() ? ShowSaveDialog(m) : saveCard(m);
    case UiServices::AnswerNo:
        return true;
    default:
        return false;
    }
}

bool ShowOpenDialog(TavorMain& m) {
    const auto name = m.ui().openFileName(m.CardPath, QString::fromUtf16(OpenFilter));
    if (!name)
        return false;
    if (!OpenCardFile(m, *name))
        return false;
    RememberCard(m.settings(), *name);
    return true;
}

void ShowOpenedCard(TavorMain& m) {
    LoadCardPicture(m);
    m.view().redrawCard();
    // Undo goes back no further than the card as it was opened and drawn.
    m.history().reset();
}

bool ShowSaveDialog(TavorMain& m) {
    const auto name =
        m.ui().saveFileName(m.CardPath, QString::fromUtf16(SaveFilter), QStringLiteral("qcd"));
    if (!name)
        return false;
    const QString previous = m.CardPath;
    m.CardPath = *name;
    if (saveCard(m))
        return true;
    // Nothing was written: the card keeps the name it had.
    m.CardPath = previous;
    return false;
}

bool Sinki(TavorMain& m) {
    if (!SaveBeforeDiscarding(m))
        return false;
    NewCard(m);
    return true;
}

bool LoadHiraku(TavorMain& m) {
    if (!SaveBeforeDiscarding(m))
        return false;
    const bool opened = ShowOpenDialog(m);
    if (opened)
        ShowOpenedCard(m);
    return opened;
}

bool SaveUwagaki(TavorMain& m) {
    if (CardFormatOf(m.CardPath) != CardFormat::V22)
        return ShowSaveDialog(m);
    // After an image export the card carries a card file's name it was never
    // saved under; a file of that name may be another card.
    if (m.CardPathFromExport && QFileInfo::exists(m.CardPath) &&
        m.ui().messageBox(
            QStringLiteral("「%1」は既にあります。\r上書きしますか？").arg(m.CardPath),
            UiServices::title(), UiServices::YesNo) != UiServices::AnswerYes)
        return false;
    return saveCard(m);
}

bool SaveName(TavorMain& m) {
    return ShowSaveDialog(m);
}

bool FormUnload(TavorMain& m) {
    if (!SaveBeforeDiscarding(m))
        return false;
    Settings& s = m.settings();
    s.setText(QStringLiteral("sti"), QStringLiteral("file"), m.CardPath);
    s.setNumber(QStringLiteral("sti"), QStringLiteral("ify"), m.app.IsfkY);
    s.setNumber(QStringLiteral("sti"), QStringLiteral("ifx"), m.app.IsfkX);
    // The window closes all the same; the settings file keeps what it held.
    if (const int error = s.sync())
        m.ui().message(WriteErrorMessage(error), UiServices::fileDetail(s.fileName()));
    return true;
}

bool CanOverwriteSave(const TavorMain& m) {
    return !m.CardPath.isEmpty();
}
