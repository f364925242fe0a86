#pragma once

#include <QString>

#include <functional>

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
// number (the old file then stays). The rows are taken from the top down, a
// band at a time; prepareRows(first, end), when given, is called before rows
// first to end − 1 are taken (to wait for them to be decoded, to recolour
// them), and false from it drops the file (the error number then tells
// nothing).
int WriteWorkBitmap(const QImage& image, const QString& path,
                    const std::function<bool(int first, int end)>& prepareRows = {});
