#include "newcard.h"

#include "app/cardsession.h"
#include "app/session.h"
#include "base/fonts.h"
#include "base/printer.h"
#include "base/runtimeerror.h"
#include "base/uiservices.h"
#include "document/card.h"
#include "document/cardfile.h"
#include "layout/printergeometry.h"
#include "picture/cardpicture.h"
#include "print/printerpaper.h"

QString CurrentFontName(Session& s) {
    return s.printers.printer().CurrentFontName();
}

void NewCard(Session& s) {
    try {
        s.doc.card.PicPath.clear();
        s.doc.card.PrintStyle = PrintStyle{};
        s.app.IsfkY = 0;
        s.app.IsfkX = 0;
        s.doc.card.PicColorMode = 0;
        s.doc.card.PicTint = {0, 0, 0};
        s.doc.card.Qr = QrCode{};
        s.doc.card.Logo = CardLogo{};
        s.doc.card.Upright = false;
        // A printer that fails here must not leave half a new card: the
        // failure is shown and the card is made all the same.
        try {
            Printer& printer = s.printers.printer();
            SetupPrinterPaper(printer, s.doc.card, s.app.IsfkX, s.doc.card.PrintStyle.YsY,
                              s.doc.card.PrintStyle.YsX);
            const PrinterOffsets offsets = ReadPrinterOffsets(printer);
            s.app.IsfkY = offsets.IsfkY;
            s.app.IsfkX = offsets.IsfkX;
        } catch (const RuntimeError& e) {
            s.ui().message(e.message());
        }
        ResetLines(s.doc.card, CurrentFontName(s));
        ShowCardData(s);
        LoadCardPicture(s.doc, s.ui(), s.app);
        s.doc.CardPath = DefaultCardPath(s.app);
        SetCaption(s);
        s.doc.history().reset();
    } catch (const RuntimeError& e) {
        s.ui().message(e.message());
    }
}

void ShowCardData(Session& s) {
    for (int i = 0; i < LineCount; ++i) {
        TextItem& t = s.doc.card.TextItems[i];
        // An empty name means the line is not drawn; it stays so. A font
        // named by another of its names is installed: the name stays as the
        // card has it, and only a font absent under every name is replaced.
        if (!t.FontName.isEmpty() && !s.FontList.isEmpty() && !FontListHas(s.FontList, t.FontName))
            t.FontName = DefaultJapaneseFont();
    }
    s.doc.announce(CardPart::Whole);
}
