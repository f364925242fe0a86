#pragma once

#include <QString>

class TavorMain;

// Reads the card file at path into the card, by the file's ending (qcd, qmd,
// qms). The whole file is read into a fresh card first: only when every field
// was read is the card replaced, CardPath set (a 2.0 or 1.1 file is renamed
// to end in "qcd"), the caption set, the editor filled and ChangedFlg cleared.
// On failure the message is shown and card, CardPath and caption stay as they
// were. A missing file during start-up silently gives a new card.
bool OpenCardFile(TavorMain& m, const QString& path);

// Writes the card to CardPath by its ending: "qcd" format 2.2, "qmd" format
// 2.0; "bmp", "jpg" (and "png") export the rendered card as a picture and
// rename CardPath to end in "qcd". Returns false, with ChangedFlg and the
// caption untouched, when nothing was written.
bool SaveCardFile(TavorMain& m);

// Why a text cannot be stored in a card file (a double quote or a line
// break, or a character CP932 lacks), naming what it belongs to; empty when
// it can.
QString UnstorableText(const QString& what, const QString& text);

// The picture path a card file can store; otherwise the reason is shown and
// the answer is false, so that the card never holds what it cannot save.
bool CheckPicturePath(TavorMain& m, const QString& path);

// "Quillo 2.40", three blanks, then the path.
QString CaptionFor(const QString& path);
void SetCaption(TavorMain& m, const QString& path);
