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

// The plain reason a card file could not be read, by the error's number:
// "名刺ファイルとして読めません" for a file whose fields are not a card's.
QString ReadFailureHint(int number);

// "Quillo 2.40", three blanks, then the path.
QString CaptionFor(const QString& path);
void SetCaption(TavorMain& m, const QString& path);
