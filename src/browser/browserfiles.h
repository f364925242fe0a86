#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

class QFile;
class ThumbnailCache;

// What the image browser lists and shows, without widgets.

// The mounted volumes' root folders, "/" first, the others in name order.
QStringList MountedDrives();

// The volume a folder lies on; "/" when none is known.
QString DriveOf(const QString& folder);

// Picture files of a folder matching a pattern list such as
// "*.BMP;*.JPG" (names compared without regard to case, as the patterns are
// written for a system that ignores it; "*.*" is every file). Regular files
// only, hidden ones left out, in natural order: without regard to case, and
// numbers by their value (photo_2 before photo_10).
QStringList MatchingFiles(const QString& folder, const QString& patterns);

// Loads the collation MatchingFiles sorts by on a thread of the global pool
// (the language's data is read once per run, and reading it takes a good
// part of opening the image browser). Called as the program starts.
void LoadFileOrderInBackground();

// A file's path in a folder, with a single "/" also in the root folder.
QString FolderFilePath(const QString& folder, const QString& name);

// Opens a file for reading only if it is a regular file: a FIFO named like a
// picture would otherwise block in open(), a device read for ever.
bool OpenRegularFile(const QString& path, QFile& file);

// The picture of a file decoded to fit box (smaller pictures keep their
// size), turned upright by its EXIF tag. A JPEG's own EXIF thumbnail is taken
// when it fills the box and has the picture's shape (a camera that turned the
// picture but not its thumbnail gives a thumbnail of the other shape);
// otherwise the decoder decodes the picture at a reduced scale. A null image
// for anything that is not a whole, readable picture: a FIFO, a device or a
// folder (never opened for reading, so nothing can block), a text file, a
// picture cut short.
QImage ReadThumbnail(const QString& path, QSize box);

// The thumbnail of a picture file fitted to box when the shared thumbnail
// cache keeps a valid one, else a null image. Reads one small PNG and
// decodes nothing: a page whose thumbnails are kept can show whole at once.
// Safe to call from any thread.
QImage KeptThumbnail(const QString& path, QSize box, const ThumbnailCache& cache);

// The thumbnail of a picture file fitted to box, through the shared
// thumbnail cache: a valid stored thumbnail when there is one, else the
// picture decoded (ReadThumbnail) and stored for the next time, or its
// failure recorded. Safe to call from any thread.
QImage CachedThumbnail(const QString& path, QSize box, const ThumbnailCache& cache);
