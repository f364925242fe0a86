#pragma once

#include <QString>

struct Card;
class UiServices;

// The bytes of a regular file, at most maxBytes of them. Throws RuntimeError:
// 52 an empty name, 53 a missing file, 76 a missing folder, 70 no permission,
// 75 a folder, a FIFO or a device, 57 a read error.
QByteArray ReadFileBytes(const QString& path, qint64 maxBytes);

// Reads the card file at path, by its ending (qcd, qmd, qms), over card:
// the fields the file carries replace card's. Throws RuntimeError on the
// first field that cannot be read (card is then partly overwritten: read
// into a copy).
void ReadCardFile(const QString& path, Card& card);

// Writes card to path as format 2.2 ("qcd") or 2.0 ("qmd"), atomically;
// 0, or the error number. The card must be storable (UnstorableCard empty).
int WriteCardFile(const QString& path, const Card& card);

// Why a text cannot be stored in a card file (a double quote or a line
// break, or a character CP932 lacks), naming what it belongs to; empty when
// it can.
QString UnstorableText(const QString& what, const QString& text);
// The first text of the card that UnstorableText refuses; empty when the
// whole card can be stored.
QString UnstorableCard(const Card& card);

// What the logo's file is called in messages: "ロゴのファイル名".
QString LogoPathName();

// The picture path a card file can store; otherwise the reason is shown and
// the answer is false, so that the card never holds what it cannot save.
bool CheckPicturePath(UiServices& ui, const QString& path);
