#pragma once

#include "card.h"

#include <QString>
#include <QStringList>
#include <vector>

// What the card's QR code holds.
enum class QrContent : std::int16_t {
    VCard = 0,    // the card's contact details as a vCard 3.0
    LineText = 1, // the text of one line, as it stands (a web address)
};

// A phone reads a printed code reliably down to this module size; the
// white quiet zone of QrQuietModules modules on each side belongs to the
// side the user chooses.
constexpr double QrMinModuleMm = 0.25;
constexpr int QrQuietModules = 4;

// The dark colour must stand out from the white: its luma (0.299 R +
// 0.587 G + 0.114 B) at most this, 40 % of white's.
constexpr int QrDarkestLuma = 102;
bool QrColorDarkEnough(quint32 rgb);

// The four error-correction levels, as the window lists them (index = level).
QStringList QrLevelNames();

// The settings a QR code starts with when it is first switched on: a vCard,
// level M, black, 20 mm at the top right of a W × H card.
QrCode DefaultQrCode(double cardWidth, double cardHeight);

// The card's contact details as a vCard 3.0 (lines ended by CR LF), from the
// lines the code's mask takes (QrCode::Lines): N and FN from the name, split
// into family and given name at its first blank (a full-width one too), ORG
// from company and department, TITLE, ADR (the address as its street, a
// postal code after 〒 in its own field), TEL for the work, FAX, mobile and
// pager numbers, EMAIL, URL from the first line holding a web address, and
// a NOTE with the phone lines' extensions (内線123, ext. 123), which a phone
// would otherwise dial as part of the number. Lines that are empty are left
// out; text values are escaped as vCard requires. Empty when the card has
// nothing to put in it.
QString VCardOf(const Card& card);

// The text the card's QR code encodes (as UTF-8): the vCard or one line.
QString QrText(const Card& card);

// A QR symbol: width × width modules, row by row, quiet zone excluded.
struct QrSymbol {
    int width = 0;
    std::vector<bool> dark;
    bool isDark(int x, int y) const { return dark[std::size_t(y) * width + x]; }
};

// The card's QR code ready to draw, or why it cannot be.
struct QrResult {
    QrSymbol symbol;
    double moduleMm = 0; // side / (width + 2 × quiet zone)
    QString problem;     // empty when the code can be drawn and read
    bool drawable() const { return problem.isEmpty() && symbol.width > 0; }
};

// Encodes QrText at the card's level (libqrencode, the smallest version that
// holds it). Refused with a message when there is nothing to encode, when
// the colour is too light (QrColorDarkEnough), when it
// is too much for any QR code, or when its modules, quiet zone included,
// would be smaller than QrMinModuleMm at the chosen side.
QrResult MakeQrCode(const Card& card);

// The side a code of this many modules (quiet zone excluded) needs at least.
double QrSmallestSide(int modules);

// Moves the code back onto a W × H card, as a line is kept: 1 mm from the
// left and top edges, 2 mm from the right and bottom ones, the left and top
// rule last; a side larger than the card is reduced to fit.
void KeepQrOnCard(QrCode& qr, double cardWidth, double cardHeight);
