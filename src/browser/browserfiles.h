#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

// What the image browser lists and shows, without widgets.

// The mounted volumes' root folders, "/" first, the others in name order.
QStringList MountedDrives();

// The volume a folder lies on; "/" when none is known.
QString DriveOf(const QString& folder);

// Picture files of a folder matching a pattern list such as
// "*.BMP;*.JPG" (names compared without regard to case, as the patterns are
// written for a system that ignores it; "*.*" is every file). Regular files
// only, hidden ones left out, sorted by name without regard to case.
QStringList MatchingFiles(const QString& folder, const QString& patterns);

// A file's path in a folder, with a single "/" also in the root folder.
QString FolderFilePath(const QString& folder, const QString& name);

// The picture of a file decoded to fit box (smaller pictures keep their
// size), turned upright by its EXIF tag. A null image for anything that is
// not a whole, readable picture: a FIFO, a device or a folder (never opened
// for reading, so nothing can block), a text file, a picture cut short.
QImage ReadThumbnail(const QString& path, QSize box);
