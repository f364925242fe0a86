// The drawing of a card read from any file: the bytes are read as a card of
// the first format that takes them, its lines are measured and placed as
// opening it does, and it is drawn into a small card image and printed as
// text on one sheet of the built-in PDF printer. Every line field reaches
// the renderer this way: size, style, 3D, direction, 縦書き, the QR code, and
// the logo's place, width and layer (with a logo of our own: reading the
// file the card names would make a run depend on the machine).

#include "base/consoleui.h"
#include "base/printer.h"
#include "base/runtimeerror.h"
#include "document/card.h"
#include "document/cardformat.h"
#include "document/cardlogo.h"
#include "document/cp932.h"
#include "document/fields.h"
#include "editor/cardimage.h"
#include "editor/itemlayout.h"
#include "fuzzcard.h"
#include "fuzzfile.h"
#include "print/cardsource.h"
#include "print/pdfprinter.h"
#include "print/printerpaper.h"
#include "print/printjob.h"

#include <QByteArray>
#include <QGuiApplication>

#include <cstdlib>
#include <new>

namespace {

// Refuses every question and keeps no message: the messages are the
// program's to give, what is looked for here is a crash or unbounded work.
class SilentUi : public ConsoleUi {
public:
    Answer messageBox(const QString&, const QString&, Buttons, const QString&) override {
        return AnswerCancel;
    }
};

bool readCard(const QString& text, Card& card) {
    for (CardReader read : {ReadCard22, ReadCard20, ReadCard11}) {
        card = Card();
        if (ReadCardAs(read, text, card))
            return true;
    }
    return false;
}

// The sheet the card is printed on. The lines are what is sought here, and
// how far a line reaches depends on the card's size, so a card of a size
// the print style allows keeps it; a sheet of a thousand cards, or a card of
// metres, only repeats the same drawing (the print and image tests bound
// those). One card on the sheet, with its cut marks.
void keepSheetSmall(PrintStyle& s) {
    const auto within = [](double v, double low, double high) { return v >= low && v <= high; };
    if (!within(s.MsX, 1, 100) || !within(s.MsY, 1, 100))
        s = PrintStyle();
    s.MaisuX = s.MaisuY = 1;
    s.YsX = s.MsX + 20;
    s.YsY = s.MsY + 20;
    s.Yhktop = s.YhkLeft = s.Yhkbtm = s.YhkRgt = 10;
    s.Kktop = s.KkLeft = 0;
}

// A logo with transparency, as a PNG logo is decoded.
DecodedLogo testLogo() {
    QImage image(40, 20, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qPremultiply(qRgba(x * 6, 0, y * 12, x * 6)));
    DecodedLogo logo;
    logo.raster = image;
    logo.size = image.size();
    return logo;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static QGuiApplication app(*argc, *argv); // fonts and text shaping
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text = Cp932::decode(
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size)));
    Card card;
    if (!readCard(text, card))
        return 0;
    keepSheetSmall(card.PrintStyle);
    static SilentUi ui;
    static const DecodedLogo logo = testLogo();
    try {
        PlaceCardLines(card);
        DrawingLimitsNotice(card);

        CardImageOptions look;
        look.twipsPerPixelX = look.twipsPerPixelY = 30;
        RenderCardImage(card, QImage(), logo, look, ui);

        PdfOnlyPrinterHost host;
        PrinterChoice printers(host);
        printers.setPrinter(host.open(PdfPrinter::Name()));
        printers.printer().setOutputFile(FuzzFile("sheet.pdf", nullptr, 0));
        if (PreparePrinter(printers, ui, card, 0)) {
            PrintOptions options;
            options.kind = PrintKind::Text;
            options.cutMarks = options.bottomMarks = true;
            const SameCardSource cards(card, QImage(), logo, 1);
            PrintCard(printers, ui, card.PrintStyle, PrinterOffsets{}, cards, options);
        }
    } catch (const RuntimeError&) {
    } catch (const std::bad_alloc&) {
    }
    return 0;
}
