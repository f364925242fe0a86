#include "commandline.h"

#include "app/cardsession.h"
#include "app/newcard.h"
#include "app/printcommand.h"
#include "app/session.h"
#include "app/startup.h"
#include "base/consoleui.h"
#include "base/settings.h"
#include "editor/cardimage.h"
#include "editor/itemlayout.h"
#include "editor/logofile.h"
#include "picture/cardpicture.h"
#include "print/sheetprint.h"

#include <QCommandLineParser>

#include <cstdio>
#include <optional>

namespace {

constexpr int UsageError = 2;

const char* const Usage =
    "usage: quillo [CARD]\n"
    "       quillo convert IN OUT [--quality S]\n"
    "       quillo convert --new OUT\n"
    "       quillo print CARD [--pdf OUT.pdf | --printer NAME] [--sheets N]\n"
    "                    [--kind standard|text|background] [--cut-marks]\n"
    "                    [--bottom-marks] [--quality S]\n"
    "       quillo print CARD --positions [--pdf OUT.pdf | --printer NAME]\n"
    "       quillo print CARD --merge DATA.csv [--pdf OUT.pdf | --pdf-dir DIR |\n"
    "                    --printer NAME] [--sheets N | --one-each]\n"
    "                    [--records FIRST-LAST] [--skip-problems] [print options]\n";

int mistake(const QString& text) {
    std::fprintf(stderr, "quillo: %s\n", qPrintable(text));
    return UsageError;
}

// One command's parser: its usage line, its options, --help and --version.
class CommandParser {
public:
    CommandParser(const char* usage, const QList<QCommandLineOption>& options) : m_usage(usage) {
        m_parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        m_parser.addOptions(options);
        m_parser.addOption(m_help);
        m_parser.addOption(m_version);
    }

    // The exit status when the command ends here (help, version, a mistake);
    // nothing when the command goes on.
    std::optional<int> parse(const QStringList& args) {
        // QCommandLineParser takes the program name first.
        if (!m_parser.parse(QStringList{QStringLiteral("quillo")} + args)) {
            const QString error = m_parser.errorText();
            // "Unknown option 'x'." in Qt's words; ours names it as typed.
            const QStringList unknown = m_parser.unknownOptionNames();
            if (!unknown.isEmpty())
                return mistake(
                    QStringLiteral("unknown option ") +
                    (unknown.first().size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) +
                    unknown.first());
            return mistake(error);
        }
        if (m_parser.isSet(m_help)) {
            std::fputs(m_usage, stdout);
            const QString options = m_parser.helpText();
            const qsizetype start = options.indexOf(QStringLiteral("\nOptions:"));
            if (start >= 0)
                std::fputs(qPrintable(options.mid(start)), stdout);
            return 0;
        }
        if (m_parser.isSet(m_version)) {
            std::fputs("quillo 2.40\n", stdout);
            return 0;
        }
        return std::nullopt;
    }

    bool isSet(const QString& name) const { return m_parser.isSet(name); }
    QString value(const QString& name) const { return m_parser.value(name); }
    QStringList positional() const { return m_parser.positionalArguments(); }

    // The option's value as a whole number in [low, high], or the mistake.
    std::optional<int> wholeNumber(const QString& name, int low, int high, int* out) const {
        if (!isSet(name))
            return std::nullopt;
        bool ok = false;
        const int v = value(name).toInt(&ok);
        if (!ok || v < low || v > high)
            return mistake(QStringLiteral("--%1 needs a whole number from %2 to %3")
                               .arg(name)
                               .arg(low)
                               .arg(high));
        *out = v;
        return std::nullopt;
    }

    int wrongArguments(const char* what) const {
        if (what)
            std::fprintf(stderr, "quillo: %s\n", what);
        std::fputs(m_usage, stderr);
        return UsageError;
    }

private:
    const char* m_usage;
    QCommandLineParser m_parser;
    QCommandLineOption m_help{{QStringLiteral("h"), QStringLiteral("help")},
                              QStringLiteral("Show this help and exit.")};
    QCommandLineOption m_version{QStringLiteral("version"),
                                 QStringLiteral("Show the version and exit.")};
};

QCommandLineOption qualityOption() {
    return {QStringLiteral("quality"),
            QStringLiteral("Render scale S of the card image, 1 to %1.").arg(MaxImgScale),
            QStringLiteral("S")};
}

// quillo convert IN OUT [--quality S] | quillo convert --new OUT
int runConvert(const QStringList& args, PrinterHost& printers) {
    CommandParser p(
        "usage: quillo convert IN OUT [--quality S]\n"
        "       quillo convert --new OUT\n",
        {{QStringLiteral("new"), QStringLiteral("Save a new card as OUT.")}, qualityOption()});
    if (const auto status = p.parse(args))
        return *status;
    int quality = 1;
    if (const auto status = p.wholeNumber(QStringLiteral("quality"), 1, MaxImgScale, &quality))
        return *status;
    const bool fresh = p.isSet(QStringLiteral("new"));
    const QStringList files = p.positional();
    if (files.size() != (fresh ? 1 : 2))
        return p.wrongArguments(fresh ? "convert --new takes one output file"
                                      : "convert takes an input and an output file");

    ConsoleUi ui;
    Settings settings;
    Session s(ui, settings, printers);
    PlaceLinesOnChange(s.doc);
    s.app.ImgScale = quality;
    ListPrinterFonts(s);
    NewCard(s);
    bool pictureUsable = true;
    if (!fresh) {
        if (!OpenCardFile(s, files.first()))
            return 1;
        // As the open command does in the window.
        pictureUsable = LoadCardPicture(s.doc, s.ui(), s.app);
        pictureUsable = LoadCardLogo(s.doc, s.ui()) && pictureUsable;
        PlaceCardLines(s.doc.card);
    }
    s.doc.CardPath = files.last();
    if (!SaveCardFile(s))
        return 1;
    return pictureUsable ? 0 : PictureUnusableStatus;
}

// quillo print CARD ...: the options become PrintCommandOptions.
int runPrint(const QStringList& args, PrinterHost& printers) {
    const QString pdf = QStringLiteral("pdf"), printer = QStringLiteral("printer"),
                  sheets = QStringLiteral("sheets"), kind = QStringLiteral("kind"),
                  positions = QStringLiteral("positions"), cutMarks = QStringLiteral("cut-marks"),
                  bottomMarks = QStringLiteral("bottom-marks"), quality = QStringLiteral("quality"),
                  merge = QStringLiteral("merge"), oneEach = QStringLiteral("one-each"),
                  records = QStringLiteral("records"), pdfDir = QStringLiteral("pdf-dir"),
                  skipProblems = QStringLiteral("skip-problems");
    CommandParser p(
        "usage: quillo print CARD [--pdf OUT.pdf | --printer NAME] [--sheets N]\n"
        "                    [--kind standard|text|background] [--cut-marks]\n"
        "                    [--bottom-marks] [--quality S]\n"
        "       quillo print CARD --positions [--pdf OUT.pdf | --printer NAME]\n"
        "       quillo print CARD --merge DATA.csv [--pdf OUT.pdf | --pdf-dir DIR |\n"
        "                    --printer NAME] [--sheets N | --one-each]\n"
        "                    [--records FIRST-LAST] [--skip-problems] [print options]\n"
        "Without --pdf, --pdf-dir or --printer the system's default printer prints.\n",
        {{pdf, QStringLiteral("Print to the PDF file OUT.pdf."), QStringLiteral("OUT.pdf")},
         {printer, QStringLiteral("Print on the system printer NAME (the default printer)."),
          QStringLiteral("NAME")},
         {sheets, QStringLiteral("Number of sheets, 1 to %1 (1).").arg(MaxSheets),
          QStringLiteral("N")},
         {kind, QStringLiteral("What to print: standard, text or background (standard)."),
          QStringLiteral("KIND")},
         {positions, QStringLiteral("Print the cut marks of the card positions only.")},
         {merge, QStringLiteral("Merge the staff list DATA.csv into the card's {fields}."),
          QStringLiteral("DATA.csv")},
         {oneEach, QStringLiteral("One card for each person, filling the sheets in order.")},
         {records, QStringLiteral("Print records FIRST to LAST of the list (from 1)."),
          QStringLiteral("FIRST-LAST")},
         {pdfDir, QStringLiteral("Write one PDF per person into the folder DIR."),
          QStringLiteral("DIR")},
         {skipProblems, QStringLiteral("Leave out the people whose card has a problem.")},
         {cutMarks, QStringLiteral("Print cut marks around the cards.")},
         {bottomMarks, QStringLiteral("Also print the cut marks below the last row.")},
         qualityOption()});
    if (const auto status = p.parse(args))
        return *status;

    PrintCommandOptions o;
    if (const auto status = p.wholeNumber(sheets, 1, MaxSheets, &o.sheets))
        return *status;
    if (const auto status = p.wholeNumber(quality, 1, MaxImgScale, &o.quality))
        return *status;
    if (p.isSet(kind)) {
        const QString k = p.value(kind);
        if (k == u"standard")
            o.kind = PrintKind::Standard;
        else if (k == u"text")
            o.kind = PrintKind::Text;
        else if (k == u"background")
            o.kind = PrintKind::Background;
        else
            return mistake(QStringLiteral("--kind is standard, text or background"));
    }
    o.merge = p.value(merge);
    o.oneEach = p.isSet(oneEach);
    o.pdfDir = p.value(pdfDir);
    o.skipProblems = p.isSet(skipProblems);
    const bool merged = p.isSet(merge);
    if ((merged && o.merge.isEmpty()) ||
        (!merged && (o.oneEach || p.isSet(records) || p.isSet(pdfDir) || o.skipProblems)))
        return mistake(QStringLiteral(
            "--one-each, --records, --pdf-dir and --skip-problems go with --merge DATA.csv"));
    if (o.oneEach && p.isSet(sheets))
        return mistake(QStringLiteral("--one-each prints one card each and takes no --sheets"));
    if (p.isSet(records)) {
        const QStringList range = p.value(records).split(u'-');
        bool ok1 = false, ok2 = false;
        o.firstRecord = range.value(0).toInt(&ok1);
        o.lastRecord = range.size() == 2 ? range[1].toInt(&ok2) : o.firstRecord;
        if (!ok1 || (range.size() == 2 && !ok2) || range.size() > 2 || o.firstRecord < 1 ||
            o.lastRecord < o.firstRecord)
            return mistake(QStringLiteral("--records is FIRST-LAST, whole numbers from 1"));
    }
    o.cutMarks = p.isSet(cutMarks);
    o.bottomMarks = p.isSet(bottomMarks);
    const QStringList files = p.positional();
    if (files.size() != 1)
        return p.wrongArguments("print takes one card file");
    o.card = files.first();
    o.pdf = p.value(pdf);
    o.printer = p.value(printer);
    if (int(p.isSet(pdf)) + int(p.isSet(printer)) + int(p.isSet(pdfDir)) > 1 ||
        (p.isSet(pdf) && o.pdf.isEmpty()) || (p.isSet(printer) && o.printer.isEmpty()) ||
        (p.isSet(pdfDir) && o.pdfDir.isEmpty()))
        return mistake(
            merged ? QStringLiteral("name one of --pdf OUT.pdf, --pdf-dir DIR or --printer NAME")
                   : QStringLiteral("name either --pdf OUT.pdf or --printer NAME, not both"));
    if (p.isSet(positions)) {
        if (p.isSet(kind) || p.isSet(sheets) || o.cutMarks || o.bottomMarks || p.isSet(quality) ||
            merged)
            return mistake(QStringLiteral(
                "--positions prints one sheet of marks and takes no other print options"));
        o.kind = PrintKind::Positions;
    }
    return RunPrintCommand(o, printers);
}

} // namespace

WindowCommand ParseWindowCommand(const QStringList& args) {
    CommandParser p(Usage, {});
    WindowCommand command;
    if (const auto status = p.parse(args)) {
        command.exitStatus = *status;
        return command;
    }
    const QStringList cards = p.positional();
    if (cards.size() > 1) {
        command.exitStatus = p.wrongArguments("the program opens one card");
        return command;
    }
    if (!cards.isEmpty())
        command.card = cards.first();
    return command;
}

bool IsSubcommand(const QStringList& args) {
    return !args.isEmpty() && (args.first() == u"convert" || args.first() == u"print");
}

int RunCommandLine(const QStringList& args, PrinterHost& printers) {
    if (!IsSubcommand(args))
        return -1;
    const QStringList rest = args.mid(1);
    if (args.first() == u"convert")
        return runConvert(rest, printers);
    return runPrint(rest, printers);
}
