#pragma once

#include <QByteArray>
#include <QString>

// File names on Linux are bytes; the program's names are text. A name whose
// bytes are not UTF-8 (made on another system, or by a script) is carried in
// its text byte for byte: each byte that does not decode is kept as one of
// the code points U+DC80 to U+DCFF, which no decoded text holds, and becomes
// that byte again when the file is opened. Qt's own conversion would make
// such a byte U+FFFD, and the file could be neither found nor written under
// its name.
QString FileNameFromNative(const QByteArray& name);
QByteArray NativeFileName(const QString& name);

// Why a file cannot be written under this name, as the message says it; empty
// when it can. A name with kept bytes is refused (Qt's files would write
// another one), and so is one longer than the file system takes.
QString FileNameProblem(const QString& path);
