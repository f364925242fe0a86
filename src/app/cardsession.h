#pragma once

#include "editor/cardimage.h"

#include <QString>

class Session;

// Reads the card file at path into the card, by the file's ending (qcd, qmd,
// qms). The whole file is read into a fresh card first: only when every field
// was read is the card replaced, CardPath set (a 2.0 or 1.1 file is renamed
// to end in "qcd"), the caption set, the editor filled and ChangedFlg cleared.
// On failure the message is shown and card, CardPath and caption stay as they
// were. A missing file during start-up silently gives a new card.
bool OpenCardFile(Session& s, const QString& path);

// Writes the card to CardPath by its ending: "qcd" format 2.2, "qmd" format
// 2.0; "bmp", "jpg" (and "png") export the rendered card as a picture, which
// leaves CardPath, the caption and ChangedFlg as they were. Returns false,
// with ChangedFlg and the caption untouched, when nothing was written.
bool SaveCardFile(Session& s);

// The plain reason a card file could not be read, by the error's number:
// "名刺ファイルとして読めません" for a file whose fields are not a card's.
QString ReadFailureHint(int number);

// How the card image of the open card is made: at the render scale ImgScale
// (brought into 1..MaxImgScale and stored back) and the screen's metrics.
CardImageOptions CardImageLook(Session& s);

// The open card's image with the layers asked for, its picture converted
// first when it has one (the background setting acts on the screen only).
QImage RenderOpenCard(Session& s, bool withPicture, bool withText);
// The open card exported as a picture (ExportCardImage).
bool ExportOpenCard(Session& s, const QString& path);

// "Quillo 2.40", three blanks, then the path.
QString CaptionFor(const QString& path);
// The caption shows CardPath.
void SetCaption(Session& s);
