#include "commands.h"

#include "app/cardsession.h"
#include "app/session.h"
#include "base/safewrite.h"
#include "base/settings.h"
#include "document/cardfile.h"
#include "document/cardformat.h"
#include "editor/logofile.h"
#include "newcard.h"
#include "picture/cardpicture.h"
#include "recentcards.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

const char16_t* const OpenFilter =
    u"すべての名刺ﾌｧｲﾙ|*.qcd *.qmd *.qms|名刺ﾌｧｲﾙ2.2|*.qcd|名刺ﾌｧｲﾙ2.0|*.qmd|名刺ﾌｧｲﾙ1.1|*.qms|";
const char16_t* const SaveFilter = u"名刺ﾌｧｲﾙ2.2|*.qcd|Jpegﾌｧｲﾙ|*.jpg|ﾋﾞｯﾄﾏｯﾌﾟ|*.bmp|";

namespace {

// Saves the card under CardPath; a card file written goes on the recent list.
bool saveCard(Session& s) {
    if (!SaveCardFile(s))
        return false;
    RememberCard(s.settings(), s.doc.CardPath);
    RememberChosenFolder(s.settings(), s.doc.CardPath);
    return true;
}

// Where the dialogs open for a card without a file of its own: the folder
// the user last chose, else the documents folder (the home folder where
// there is none), never the program's hidden data folder.
QString startFolder(Session& s) {
    const QString last = LastChosenFolder(s.settings());
    if (!last.isEmpty() && QFileInfo(last).isDir() && !IsDataFolder(s, last))
        return last;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

bool isImageFile(const QString& path) {
    const CardFormat format = CardFormatOf(path);
    return format == CardFormat::ImageBmp || format == CardFormat::ImageJpg ||
           format == CardFormat::ImagePng;
}

} // namespace

bool IsDataFolder(Session& s, const QString& folder) {
    return QFileInfo(folder).absoluteFilePath() ==
           QFileInfo(DataFolderPath(s.app)).absoluteFilePath();
}

bool HasOwnFile(Session& s) {
    return !s.doc.CardPath.isEmpty() && !IsDataFolder(s, QFileInfo(s.doc.CardPath).absolutePath());
}

QString ProposedFileName(const Card& card) {
    // The name line as a file name: one line, no folder separator, not hidden.
    QString name = card.TextItems[0].Text.simplified();
    name.replace(u'/', u'_');
    while (name.startsWith(u'.'))
        name.remove(0, 1);
    name = name.left(100).trimmed();
    if (name.isEmpty())
        name = QStringLiteral("名刺");
    return name + QStringLiteral(".qcd");
}

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
        return HasOwnFile(s) ? saveCard(s) : ShowSaveDialog(s);
    case UiServices::AnswerNo:
        return true;
    default:
        return false;
    }
}

bool ShowOpenDialog(Session& s) {
    const QString start = HasOwnFile(s) ? s.doc.CardPath : startFolder(s);
    const auto name = s.ui().openFileName(start, QString::fromUtf16(OpenFilter));
    if (!name)
        return false;
    RememberChosenFolder(s.settings(), *name);
    if (!OpenCardFile(s, *name))
        return false;
    RememberCard(s.settings(), *name);
    return true;
}

void ShowOpenedCard(Session& s) {
    LoadCardPicture(s.doc, s.ui(), s.app);
    LoadCardLogo(s.doc, s.ui());
    // Undo goes back no further than the card as it was opened and drawn.
    s.doc.history().reset();
}

bool ShowSaveDialog(Session& s) {
    const QString start = HasOwnFile(s)
                              ? s.doc.CardPath
                              : QDir(startFolder(s)).filePath(ProposedFileName(s.doc.card));
    const auto name =
        s.ui().saveFileName(start, QString::fromUtf16(SaveFilter), QStringLiteral("qcd"));
    if (!name)
        return false;
    if (isImageFile(*name)) {
        // A picture of the card is no card file: the card keeps its own
        // file, caption and changed state, and is still to be saved.
        if (ExportOpenCard(s, *name))
            RememberChosenFolder(s.settings(), *name);
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
    // A card never written by the user is asked a name for, rather than
    // written over the program's own default card.
    if (CardFormatOf(s.doc.CardPath) != CardFormat::V22 || !HasOwnFile(s))
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
