#pragma once

#include "base/runtimeerror.h"
#include "document/card.h"
#include "document/fields.h"

#include <QString>

// One of the card formats' readers (ReadCard22, ReadCard20, ReadCard11).
using CardReader = void (*)(FieldReader&, Card&);

// Reads text into card as one format; false where that format refuses it.
inline bool ReadCardAs(CardReader read, const QString& text, Card& card) {
    FieldReader in(text);
    try {
        read(in, card);
        return true;
    } catch (const RuntimeError&) {
        return false;
    }
}
