#include "newcard.h"

#include "app/cardsession.h"
#include "base/fonts.h"
#include "base/printer.h"
#include "base/runtimeerror.h"
#include "base/uiservices.h"
#include "document/card.h"
#include "document/cardfile.h"
#include "document/cardview.h"
#include "document/tavormain.h"
#include "layout/printergeometry.h"
#include "picture/cardpicture.h"
#include "print/printerpaper.h"

QString CurrentFontName(TavorMain& m) {
    return m.printer().CurrentFontName();
}

void NewCard(TavorMain& m) {
    try {
        m.card.PicPath.clear();
        m.card.PrintStyle = PrintStyle{};
        m.app.IsfkY = 0;
        m.app.IsfkX = 0;
        m.card.PicColorMode = 0;
        m.card.PicTint = {0, 0, 0};
        m.card.Qr = QrCode{};
        // A printer that fails here must not leave half a new card: the
        // failure is shown and the card is made all the same.
        try {
            SetupPrinterPaper(m, m.card.PrintStyle.YsY, m.card.PrintStyle.YsX);
            ReadPrinterOffsets(m);
        } catch (const RuntimeError& e) {
            m.ui().message(e.message());
        }
        m.view().layoutCanvas();
        ResetLines(m.card, CurrentFontName(m));
        ShowCardData(m);
        LoadCardPicture(m);
        m.view().redrawCard();
        m.CardPath = m.defaultCardPath();
        m.CardPathFromExport = false;
        SetCaption(m, m.CardPath);
        m.history().reset();
    } catch (const RuntimeError& e) {
        m.ui().message(e.message());
    }
}

void ShowCardData(TavorMain& m) {
    for (int i = 0; i < LineCount; ++i) {
        TextItem& t = m.card.TextItems[i];
        // An empty name means the line is not drawn; it stays so. A font
        // named by another of its names is installed: the name stays as the
        // card has it, and only a font absent under every name is replaced.
        if (!t.FontName.isEmpty() && !m.FontList.isEmpty() && !FontListHas(m.FontList, t.FontName))
            t.FontName = DefaultJapaneseFont();
    }
    m.view().showCardData();
}
