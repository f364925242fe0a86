#pragma once

#include "card.h"

#include <QString>
#include <QStringList>

class FieldReader;

// The three versions of the card file, told apart by the last three
// characters of the file name (compared without regard to case).
enum class CardFormat { Unknown, V22, V20, V11, ImageBmp, ImageJpg, ImagePng };

CardFormat CardFormatOf(const QString& path);

// Field by field reading and writing of the card file versions. The readers
// fill the given card and throw RuntimeError on the first bad field; callers
// read into a copy and keep it only when the whole read succeeded.
void ReadCard22(FieldReader& in, Card& card);
void ReadCard20(FieldReader& in, Card& card);
void ReadCard11(FieldReader& in, Card& card);
QString WriteCard22(const Card& card);
QString WriteCard20(const Card& card);

// What format 2.0 cannot hold of the card, as the save names it to the
// user ("縦書きの行 (横書きで保存されます)", "QRコード", "ロゴ", "縦型名刺
// (横型で保存されます)" …); empty when the card loses nothing.
QStringList Format20Losses(const Card& card);

// The part of path before its last "."; the whole path if it has none.
QString StripExt(const QString& path);
// The characters after the last "."; empty if there is none.
QString GetExt(const QString& path);
// The characters after the last "/"; empty if there is none.
QString GetFileTitle(const QString& path);
