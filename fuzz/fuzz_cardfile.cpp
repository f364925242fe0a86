// Card files of the three formats: the bytes are decoded and read as each
// format; whatever reads and can be stored is written as that format can be
// written, read again, and must give the same fields.

#include "base/runtimeerror.h"
#include "document/card.h"
#include "document/cardfile.h"
#include "document/cardformat.h"
#include "document/cp932.h"
#include "document/fields.h"
#include "fuzzcard.h"

#include <QByteArray>

#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void mismatch(const char* what, const QString& first, const QString& second) {
    std::fprintf(stderr, "%s: the card written again differs\n--- first\n%s\n--- second\n%s\n",
                 what, qPrintable(first), qPrintable(second));
    std::abort();
}

// Writes the card, reads what was written into a new card of the same
// start, and checks that the fields come back as written.
void roundTrip(const char* what, const Card& card, CardReader read, QString (*write)(const Card&)) {
    if (!UnstorableCard(card).isEmpty())
        return; // refused by the save before anything is written
    const QString first = write(card);
    const auto bytes = Cp932::encode(first);
    if (!bytes)
        mismatch(what, first, QStringLiteral("(not CP932)"));
    Card again;
    if (!ReadCardAs(read, Cp932::decode(*bytes), again))
        mismatch(what, first, QStringLiteral("(does not read back)"));
    const QString second = write(again);
    if (second != first)
        mismatch(what, first, second);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text = Cp932::decode(
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size)));
    Card card;
    if (ReadCardAs(ReadCard22, text, card))
        roundTrip("2.2", card, ReadCard22, WriteCard22);
    card = Card();
    if (ReadCardAs(ReadCard20, text, card)) {
        roundTrip("2.0", card, ReadCard20, WriteCard20);
        roundTrip("2.0 as 2.2", card, ReadCard22, WriteCard22);
    }
    card = Card();
    if (ReadCardAs(ReadCard11, text, card))
        roundTrip("1.1 as 2.2", card, ReadCard22, WriteCard22);
    return 0;
}
