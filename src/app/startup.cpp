#include "startup.h"

#include "app/cardsession.h"
#include "app/commands.h"
#include "app/newcard.h"
#include "base/printer.h"
#include "base/runtimeerror.h"
#include "base/settings.h"
#include "base/uiservices.h"
#include "document/cardfile.h"
#include "document/cardview.h"
#include "document/tavormain.h"
#include "picture/cardpicture.h"

#include <QFileInfo>

double ReadNumberSetting(TavorMain& m, const QString& section, const QString& key,
                         double defaultValue, double minimum, double maximum) {
    try {
        const double value = m.settings().number(section, key, defaultValue);
        if (value < minimum || value > maximum)
            throw RuntimeError(RuntimeError::Overflow);
        return value;
    } catch (const RuntimeError& e) {
        m.ui().message(e.message());
        return defaultValue;
    }
}

bool ScreenCheck(TavorMain& m) {
    if (m.app.TppY > 0 && m.app.ScrHeight / m.app.TppY > 480)
        return true;
    m.ui().message(QStringLiteral("この解像度では、すべての機能を利用する事ができません。\r\n"
                                  " (800 * 600) 以上の解像度をお勧めします。"));
    return false;
}

void CapturePrinters(TavorMain& m) {
    m.app.PrinterList.clear();
    const QStringList names = m.printers().deviceNames();
    for (const QString& name : names) {
        m.app.PrinterList.append(name);
        m.ui().processEvents();
    }
    // The built-in "PDF" printer is one of the installed printers: printing
    // works without any other, so only a list without even that one means
    // printing cannot be used.
    if (m.app.PrinterList.isEmpty())
        m.ui().message(QStringLiteral("プリンタが設定されていません。\r\n"
                                      "「Quillo」の印刷機能は使用できません。"));
}

void ListPrinterFonts(TavorMain& m) {
    try {
        Printer& printer = m.printer();
        m.FontList = printer.FontNames();
    } catch (const RuntimeError& e) {
        m.ui().message(e.message());
    }
}

void InitApp(TavorMain& m, const QString& cardOnCommandLine) {
    try {
        m.card.PrintStyle = PrintStyle{};
        m.view().layoutCanvas();
        const QString fontName = CurrentFontName(m);
        for (int i = 0; i < LineCount; ++i) {
            m.card.TextItems[i].FontName = fontName;
            m.card.TextItems[i].FontSize = 12;
        }
        ListPrinterFonts(m);
        for (int i = 0; i < LineCount; ++i)
            ResetLineStyle(m.card.TextItems[i]);
        m.view().showCardData();

        m.CardPath = m.settings().text(QStringLiteral("sti"), QStringLiteral("file"), QString());
        if (!cardOnCommandLine.isEmpty())
            m.CardPath = cardOnCommandLine;
        m.app.IsfkY = ReadNumberSetting(m, QStringLiteral("sti"), QStringLiteral("ify"), 0);
        m.app.IsfkX = ReadNumberSetting(m, QStringLiteral("sti"), QStringLiteral("ifx"), 0);
        bool madeNew = false;
        if (m.CardPath.isEmpty()) {
            m.CardPath = m.defaultCardPath();
            NewCard(m);
            madeNew = true;
        }
        // A colour is an RGB value; the flag a 16-bit number.
        m.app.BackColor = quint32(ReadNumberSetting(
            m, QStringLiteral("opt"), QStringLiteral("BackColor"), 16777215, 0, 16777215));
        m.app.HaikeiFlg = int(ReadNumberSetting(m, QStringLiteral("opt"),
                                                QStringLiteral("HaikeiFlg"), 1, -32768, 32767));

        // A card named on the command line that cannot be found is worth a
        // message; the remembered one silently gives way to a new card. Any
        // card that cannot be read leaves a new card, never half of one.
        const bool fromCommandLine = !cardOnCommandLine.isEmpty();
        m.app.StartupFlg = fromCommandLine ? 0 : 1;
        const bool exists = QFileInfo::exists(m.CardPath);
        if (madeNew && !exists) {
            // The new card just made already stands for the default card.
        } else if (!exists && !fromCommandLine) {
            // Whatever its name, a remembered card that is gone is not asked
            // about: the new card takes its place, and its name is stored.
            NewCard(m);
        } else if (OpenCardFile(m, m.CardPath)) {
            ShowOpenedCard(m);
        } else {
            NewCard(m);
        }
        m.app.StartupFlg = 0;
        SetCaption(m, m.CardPath);
        // The card as the editor first shows it is where undo stops.
        m.history().reset();
    } catch (const RuntimeError& e) {
        m.ui().message(e.message());
    }
}
