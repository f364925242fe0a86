#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Conversion between the program's text and CP932 (Windows Shift_JIS), the
// encoding of card files and the template file.
namespace Cp932 {

// Bytes that are not valid CP932 become U+FFFD; the rest is read as it stands.
QString decode(const QByteArray& bytes);

// The CP932 bytes of text, or nothing when a character has no CP932 form.
// badChar receives the first such character.
std::optional<QByteArray> encode(const QString& text, QString* badChar = nullptr);

// The first character of text that CP932 cannot hold; empty when all can.
QString firstUnencodable(const QString& text);

} // namespace Cp932
