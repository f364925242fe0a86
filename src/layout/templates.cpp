#include "templates.h"

#include "base/runtimeerror.h"
#include "document/cp932.h"
#include "editor/lineedits.h"
#include "sheetlayout.h"

#include <QFile>
#include <QFileInfo>
#include <cmath>
#include <limits>

double TKFormat::value(Field f) const {
    return LeadingNumber(fields[f]);
}

TKFormat Get_TKFormat(const QString& line) {
    TKFormat t;
    for (int i = 0; i < TKFormat::FieldCount; ++i)
        t.fields[i] = line.mid(4 + 4 * i, 4);
    t.TKName = line.mid(84, TKFormat::NameWidth).leftJustified(TKFormat::NameWidth, u' ');
    return t;
}

namespace {

// A file that is there but cannot be read (no permission, a folder) is a
// path/file access error.
int openErrorNumber(const QString& path) {
    return QFileInfo::exists(path) ? RuntimeError::PathFileAccess : RuntimeError::FileNotFound;
}

} // namespace

TemplateFile ReadTemplateFile(const QString& path) {
    TemplateFile result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = RuntimeError::describe(openErrorNumber(path));
        return result;
    }
    // Every line becomes an entry, however short the lines are: a capacity
    // guessed from the file's length would drop the last templates of a file
    // of short lines.
    while (!file.atEnd()) {
        QByteArray bytes = file.readLine();
        if (bytes.isEmpty() && file.error() != QFileDevice::NoError) {
            result.error = RuntimeError::describe(RuntimeError::DeviceIo);
            break;
        }
        if (bytes.endsWith('\n'))
            bytes.chop(1);
        if (bytes.endsWith('\r'))
            bytes.chop(1);
        result.TKFormats.append(Get_TKFormat(Cp932::decode(bytes)));
    }
    return result;
}

namespace {

// A count field as a 16-bit count, halves to even; 0 when it does not fit.
std::int16_t countOf(double v) {
    const double n = std::nearbyint(v);
    if (n < std::numeric_limits<std::int16_t>::min() ||
        n > std::numeric_limits<std::int16_t>::max())
        return 0;
    return std::int16_t(n);
}

} // namespace

void ApplyTemplate(PrinterChoice& printers, Card& card, SheetLayout& w, const TKFormat& t) {
    w.YsY = t.value(TKFormat::YsY);
    w.YsX = t.value(TKFormat::YsX);
    w.MsY = t.value(TKFormat::MsY);
    w.MsX = t.value(TKFormat::MsX);
    w.Yhktop = t.value(TKFormat::Yhktop);
    w.YhkLeft = t.value(TKFormat::YhkLeft);
    w.Kktop = t.value(TKFormat::Kktop);
    w.KkLeft = t.value(TKFormat::KkLeft);
    w.MaisuY = countOf(t.value(TKFormat::MaisuY));
    w.MaisuX = countOf(t.value(TKFormat::MaisuX));
    w.FitPaper(printers, card);
    // The limits of the previous sheet would otherwise judge the next edit:
    // one step up of a template's 8 mm gap would end at the old sheet's
    // largest gap.
    w.KsnYs();
}
