#pragma once

#include <QString>

class QImage;

// The working bitmap of this run in a data folder. The working bitmap belongs
// to one running program: the first run that uses the folder holds a lock on
// it and writes "Tavor.bmp" there; a run that finds the lock held (a window
// open while a script converts, two scripts at once) writes
// "Tavor-<process id>.bmp" instead, and removes it when it ends. The folder
// is locked, not a file beside the bitmap, so the folder holds nothing else.
QString WorkBitmapPath(const QString& folder);

// Writes an RGB32 picture as a 24-bit bottom-up BMP through the safe-write
// routine, as a scratch file (nothing waits for the disk); 0, or the error
// number (the old file then stays).
int WriteWorkBitmap(const QImage& image, const QString& path);
