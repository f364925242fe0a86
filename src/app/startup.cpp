#include "startup.h"

#include "app/cardsession.h"
#include "app/commands.h"
#include "app/newcard.h"
#include "app/session.h"
#include "base/printer.h"
#include "base/runtimeerror.h"
#include "base/settings.h"
#include "base/uiservices.h"
#include "document/cardfile.h"
#include "picture/cardpicture.h"

#include <QFileInfo>

double ReadNumberSetting(Session& s, const QString& section, const QString& key,
                         double defaultValue, double minimum, double maximum) {
    try {
        const double value = s.settings().number(section, key, defaultValue);
        if (value < minimum || value > maximum)
            throw RuntimeError(RuntimeError::Overflow);
        return value;
    } catch (const RuntimeError& e) {
        s.ui().message(e.message());
        return defaultValue;
    }
}

bool ScreenCheck(Session& s) {
    if (s.app.TppY > 0 && s.app.ScrHeight / s.app.TppY > 480)
        return true;
    s.ui().message(QStringLiteral("この解像度では、すべての機能を利用する事ができません。\r\n"
                                  " (800 * 600) 以上の解像度をお勧めします。"));
    return false;
}

void CapturePrinters(Session& s) {
    s.printers.PrinterList.clear();
    const QStringList names = s.printers.host().deviceNames();
    for (const QString& name : names) {
        s.printers.PrinterList.append(name);
        s.ui().processEvents();
    }
    // The built-in "PDF" printer is one of the installed printers: printing
    // works without any other, so only a list without even that one means
    // printing cannot be used.
    if (s.printers.PrinterList.isEmpty())
        s.ui().message(QStringLiteral("プリンタが設定されていません。\r\n"
                                      "「Quillo」の印刷機能は使用できません。"));
}

void ListPrinterFonts(Session& s) {
    try {
        Printer& printer = s.printers.printer();
        s.FontList = printer.FontNames();
    } catch (const RuntimeError& e) {
        s.ui().message(e.message());
    }
}

void InitApp(Session& s, const QString& cardOnCommandLine) {
    try {
        s.doc.card.PrintStyle = PrintStyle{};
        const QString fontName = CurrentFontName(s);
        for (int i = 0; i < LineCount; ++i) {
            s.doc.card.TextItems[i].FontName = fontName;
            s.doc.card.TextItems[i].FontSize = 12;
        }
        ListPrinterFonts(s);
        for (int i = 0; i < LineCount; ++i)
            ResetLineStyle(s.doc.card.TextItems[i]);
        s.doc.announce(CardPart::Whole);

        s.doc.CardPath =
            s.settings().text(QStringLiteral("sti"), QStringLiteral("file"), QString());
        if (!cardOnCommandLine.isEmpty())
            s.doc.CardPath = cardOnCommandLine;
        s.app.IsfkY = ReadNumberSetting(s, QStringLiteral("sti"), QStringLiteral("ify"), 0);
        s.app.IsfkX = ReadNumberSetting(s, QStringLiteral("sti"), QStringLiteral("ifx"), 0);
        bool madeNew = false;
        if (s.doc.CardPath.isEmpty()) {
            s.doc.CardPath = DefaultCardPath(s.app);
            NewCard(s);
            madeNew = true;
        }
        // A colour is an RGB value; the flag a 16-bit number.
        s.app.BackColor = quint32(ReadNumberSetting(
            s, QStringLiteral("opt"), QStringLiteral("BackColor"), 16777215, 0, 16777215));
        s.app.HaikeiFlg = int(ReadNumberSetting(s, QStringLiteral("opt"),
                                                QStringLiteral("HaikeiFlg"), 1, -32768, 32767));

        // A card named on the command line that cannot be found is worth a
        // message; the remembered one silently gives way to a new card. Any
        // card that cannot be read leaves a new card, never half of one.
        const bool fromCommandLine = !cardOnCommandLine.isEmpty();
        s.app.StartupFlg = fromCommandLine ? 0 : 1;
        const bool exists = QFileInfo::exists(s.doc.CardPath);
        if (madeNew && !exists) {
            // The new card just made already stands for the default card.
        } else if (!exists && !fromCommandLine) {
            // Whatever its name, a remembered card that is gone is not asked
            // about: the new card takes its place, and its name is stored.
            NewCard(s);
        } else if (OpenCardFile(s, s.doc.CardPath)) {
            ShowOpenedCard(s);
        } else {
            NewCard(s);
        }
        s.app.StartupFlg = 0;
        SetCaption(s);
        // The card as the editor first shows it is where undo stops.
        s.doc.history().reset();
    } catch (const RuntimeError& e) {
        s.ui().message(e.message());
    }
}
