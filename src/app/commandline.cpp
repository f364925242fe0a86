#include "commandline.h"

#include "app/cardsession.h"
#include "app/newcard.h"
#include "app/printcommand.h"
#include "base/consoleui.h"
#include "base/settings.h"
#include "document/cardfile.h"
#include "document/cardview.h"
#include "document/tavormain.h"
#include "editor/cardimage.h"
#include "picture/cardpicture.h"
#include "startup.h"

#include <cstdio>

namespace {

void usage() {
    std::fputs("usage: quillo [CARD]\n"
               "       quillo convert IN OUT [--quality S]\n"
               "       quillo convert --new OUT\n",
               stderr);
    std::fputs(PrintCommandUsage(), stderr);
}

// quillo convert IN OUT [--quality S] | quillo convert --new OUT
int runConvert(const QStringList& args, PrinterHost& printers) {
    QStringList files;
    bool fresh = false;
    int quality = 1;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == u"--new") {
            fresh = true;
        } else if (a == u"--quality") {
            bool ok = false;
            quality = i + 1 < args.size() ? args[++i].toInt(&ok) : 0;
            if (!ok || quality < 1 || quality > MaxImgScale) {
                std::fputs("quillo: --quality needs a whole number from 1 to 20\n", stderr);
                return 2;
            }
        } else if (a.startsWith(u"--")) {
            std::fprintf(stderr, "quillo: unknown option %s\n", qPrintable(a));
            return 2;
        } else {
            files.append(a);
        }
    }
    if (files.size() != (fresh ? 1 : 2)) {
        usage();
        return 2;
    }

    ConsoleUi ui;
    Settings settings;
    TavorMain m(ui, settings, printers);
    m.app.ImgScale = quality;
    ListPrinterFonts(m);
    NewCard(m);
    if (!fresh) {
        if (!OpenCardFile(m, files.first()))
            return 1;
        LoadCardPicture(m);
    }
    m.CardPath = files.last();
    return SaveCardFile(m) ? 0 : 1;
}

} // namespace

bool IsSubcommand(const QStringList& args) {
    return !args.isEmpty() && (args.first() == u"convert" || args.first() == u"print");
}

int RunCommandLine(const QStringList& args, PrinterHost& printers) {
    if (!IsSubcommand(args))
        return -1;
    const QString command = args.first();
    const QStringList rest = args.mid(1);
    if (command == u"convert")
        return runConvert(rest, printers);
    return RunPrintCommand(rest, printers);
}
