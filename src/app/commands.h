#pragma once

#include "base/uiservices.h"

class Session;
struct Card;

// The commands of the File menu, on the one card. Each returns whether it
// went through; a command the user cancelled, or whose save failed, leaves
// the card as it was.

// All card files first, then "名刺ﾌｧｲﾙ2.2|*.qcd|名刺ﾌｧｲﾙ2.0|*.qmd|名刺ﾌｧｲﾙ1.1|*.qms|".
extern const char16_t* const OpenFilter;
extern const char16_t* const SaveFilter; // "名刺ﾌｧｲﾙ2.2|*.qcd|Jpegﾌｧｲﾙ|*.jpg|ﾋﾞｯﾄﾏｯﾌﾟ|*.bmp|"

// "このデータは変更されています。" / "データを保存しますか？", Yes, No, Cancel.
UiServices::Answer AskSaveChanges(Session& s);

// Saving before a modified card is discarded (new, open, exit). True when the
// command may go on: the card was unchanged, the user said No, or the save
// succeeded. Cancel, a cancelled save dialog or a failed save give false.
bool SaveBeforeDiscarding(Session& s);

// The open dialog; unless cancelled, reads the chosen file.
bool ShowOpenDialog(Session& s);
// After a card was read: its picture loaded, its lines drawn, and the card
// as shown is where the undo history starts.
void ShowOpenedCard(Session& s);
// The save dialog; unless cancelled, writes the chosen card file, or
// exports the card as a picture (which leaves the card's file, caption and
// changed state as they were). True only when a card file was written.
bool ShowSaveDialog(Session& s);

bool Sinki(Session& s);       // new
bool LoadHiraku(Session& s);  // open
bool SaveUwagaki(Session& s); // overwrite-save
bool SaveName(Session& s);    // save as, also the image export

// The exit logic: asks about a modified card (false: stay open), then stores
// "file", "ify" and "ifx".
bool FormUnload(Session& s);

// Whether the card has a file the user chose: a new card is named after the
// program's default card in its hidden data folder until then.
bool HasOwnFile(Session& s);
bool IsDataFolder(Session& s, const QString& folder);
// The name a card's first save proposes: its name line's text, ".qcd".
QString ProposedFileName(const Card& card);

// The overwrite-save entry is enabled exactly when the card has a path.
bool CanOverwriteSave(const Session& s);
