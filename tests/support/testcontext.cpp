#include "testcontext.h"

#include "editor/cardimage.h"
#include "editor/logofile.h"
#include "picture/cardpicture.h"
#include "print/cardsource.h"
#include "print/printerpaper.h"
#include "print/printjob.h"
#include "print/recordingprinter.h"

#include <QDir>

#include <algorithm>
#include <cmath>

SpyView::SpyView(CardDocument& doc) {
    connect(&doc, &CardDocument::changed, this, [this](CardPart part, int) {
        if (part == CardPart::Whole)
            ++showCardDataCalls;
        if (part == CardPart::Whole || part == CardPart::PrintStyle) {
            ++layoutCalls;
            ++redrawCalls;
        }
    });
    connect(&doc, &CardDocument::pictureChanged, this,
            [this](bool shown) { ++(shown ? pictureShows : pictureClears); });
    connect(&doc, &CardDocument::pathChanged, this,
            [this](const QString& path) { caption = QStringLiteral("Quillo 2.40   ") + path; });
}

TestContext::TestContext() {
    settings = std::make_unique<Settings>(dir.filePath(QStringLiteral("qvrs.ini")));
    host = std::make_unique<TestPrinterHost>(QStringList{QStringLiteral("Recorder")},
                                             [](const QString&) -> std::unique_ptr<Printer> {
                                                 return std::make_unique<RecordingPrinter>();
                                             });
    printers = std::make_unique<PrinterChoice>(*host);
    QDir(dir.path()).mkpath(QStringLiteral("data"));
    app.DataFolder = dir.filePath(QStringLiteral("data"));
}

TestContext::~TestContext() = default;

QImage TestContext::renderCard(bool withPicture, bool withText) {
    app.ImgScale = std::clamp(app.ImgScale, 1, MaxImgScale);
    if (withPicture)
        PrepareCardPicture(doc, ui, app);
    const PrintOptions o = printOptions(PrintKind::Standard, false);
    CardImageOptions look = o.image;
    look.withPicture = withPicture;
    look.withText = withText;
    if (withText)
        PrepareCardLogo(doc, ui);
    return RenderCardImage(doc.card, doc.pictureImage(), doc.logoImage(), look, ui);
}

PrintOptions TestContext::printOptions(PrintKind kind, bool cutMarks) {
    PrintOptions o;
    o.kind = kind;
    o.cutMarks = cutMarks;
    o.bottomMarks = std::nearbyint(settings->number(QStringLiteral("opt"),
                                                    QStringLiteral("KiritoriFlag"), 0)) == 1;
    o.image.scale = std::clamp(app.ImgScale, 1, MaxImgScale);
    o.image.twipsPerPixelX = app.TppX;
    o.image.twipsPerPixelY = app.TppY;
    return o;
}

PrintOutcome TestContext::print(PrintKind kind, int sheets, bool cutMarks,
                                const SheetProgress& progress) {
    if (KindPrintsPicture(kind))
        PrepareCardPicture(doc, ui, app);
    if (KindPrintsLogo(kind))
        PrepareCardLogo(doc, ui);
    const SameCardSource cards(doc.card, doc.pictureImage(), doc.logoImage(), sheets);
    return PrintCard(*printers, ui, doc.card.PrintStyle, offsets(), cards,
                     printOptions(kind, cutMarks), progress);
}

PrintOutcome TestContext::printImage(const QImage& cardImage, int sheets, bool cutMarks) {
    const SameCardSource cards(doc.card, doc.pictureImage(), doc.logoImage(), sheets);
    return PrintCardImage(
        *printers, ui, doc.card.PrintStyle, offsets(), cards, [&](int) { return cardImage; },
        printOptions(PrintKind::Standard, cutMarks));
}

bool TestContext::preparePrinter() {
    return PreparePrinter(*printers, ui, doc.card, app.IsfkX);
}
