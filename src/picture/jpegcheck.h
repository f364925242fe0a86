#pragma once

#include <QtGlobal>

class QFile;

// Whether JPEG data reaches the end-of-image marker of its main picture. The
// decoder fills whatever is missing from a file cut short with grey and still
// reports success; a card would then be printed with a grey band, and a
// thumbnail would look usable. Segments are skipped by their lengths (an EXIF
// thumbnail ends with its own end-of-image marker inside APP1), scan data up
// to the next real marker. Huffman-coded data too short for the size its
// header claims (less than a bit for each 8 × 8 block) counts as cut short.
bool JpegComplete(const uchar* data, qint64 size);

// The same for an open file, read from its start; the position is kept.
bool JpegFileComplete(QFile& file);
