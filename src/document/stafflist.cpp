#include "stafflist.h"

#include "base/runtimeerror.h"
#include "cardfile.h"
#include "cp932.h"

#include <QStringDecoder>

#include <csv.h>

namespace {

// What libcsv hands over, collected into rows: fields as they stand in the
// file's encoding, each record ended by its terminator.
struct Collector {
    std::vector<QByteArray> fields;
    std::vector<std::vector<QByteArray>> records;
};

void addField(void* text, size_t length, void* data) {
    auto* c = static_cast<Collector*>(data);
    c->fields.emplace_back(static_cast<const char*>(text), qsizetype(length));
}

void endRecord(int, void* data) {
    auto* c = static_cast<Collector*>(data);
    c->records.push_back(std::move(c->fields));
    c->fields.clear();
}

// RFC 4180 keeps every blank of a field; libcsv trims spaces and tabs
// unless told that nothing is one.
int noBlanks(unsigned char) {
    return 0;
}

// Record 0 is the header.
RuntimeError badRecord(int record, const QString& why) {
    const QString which =
        record == 0 ? QStringLiteral("見出しの行") : QStringLiteral("%1件目").arg(record);
    return RuntimeError(RuntimeError::TypeMismatch,
                        QStringLiteral("名簿の%1を読めません。%2").arg(which, why));
}

bool isUtf8(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder(bytes);
    return !decoder.hasError();
}

} // namespace

StaffList ParseStaffList(const QByteArray& file, bool tabs) {
    QByteArray bytes = file;
    const bool bom = bytes.startsWith("\xEF\xBB\xBF");
    if (bom)
        bytes.remove(0, 3);
    // A CP932 file is read as text once, then split as UTF-8: the bytes
    // libcsv looks for never occur inside a character of either.
    const bool cp932 = !bom && !isUtf8(bytes);
    if (cp932)
        bytes = Cp932::decode(bytes).toUtf8();

    csv_parser parser{};
    if (csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI) != 0)
        throw RuntimeError(RuntimeError::OutOfMemory);
    csv_set_space_func(&parser, noBlanks);
    csv_set_delim(&parser, tabs ? CSV_TAB : CSV_COMMA);
    Collector c;
    const size_t done =
        csv_parse(&parser, bytes.constData(), size_t(bytes.size()), addField, endRecord, &c);
    const bool parsed =
        done == size_t(bytes.size()) && csv_fini(&parser, addField, endRecord, &c) == 0;
    const int error = csv_error(&parser);
    csv_free(&parser);
    if (!parsed && error == CSV_ENOMEM)
        throw RuntimeError(RuntimeError::OutOfMemory);

    StaffList list;
    int record = 0; // numbered as the messages number them: the header is 0
    bool haveHeader = false;
    for (const std::vector<QByteArray>& fields : c.records) {
        QStringList row;
        row.reserve(qsizetype(fields.size()));
        bool empty = true;
        for (const QByteArray& field : fields) {
            QString text = QString::fromUtf8(field);
            // CP932 has no U+FFFD: one in the text is a byte it could not read.
            if (cp932 && text.contains(QChar(0xFFFD)))
                throw badRecord(
                    haveHeader ? record + 1 : 0,
                    QStringLiteral("UTF-8 でも Shift_JIS (CP932) でもない文字があります。"));
            empty = empty && text.isEmpty();
            row.append(std::move(text));
        }
        if (empty)
            continue;
        if (!haveHeader) {
            list.header = row;
            haveHeader = true;
            continue;
        }
        ++record;
        if (row.size() > list.header.size())
            throw badRecord(record,
                            QStringLiteral("欄が見出しより多くあります（%1 欄、見出しは %2 欄）。")
                                .arg(row.size())
                                .arg(list.header.size()));
        while (row.size() < list.header.size())
            row.append(QString());
        list.rows.push_back(std::move(row));
    }
    if (!parsed)
        throw badRecord(record + (haveHeader ? 1 : 0),
                        QStringLiteral("引用符 (\") の使い方が正しくありません。"));
    if (!haveHeader)
        throw RuntimeError(RuntimeError::TypeMismatch,
                           QStringLiteral("名簿に見出しの行がありません。"));
    return list;
}

StaffList ReadStaffList(const QString& path) {
    const QByteArray bytes = ReadFileBytes(path, MaxStaffListBytes);
    const qsizetype lineEnd = bytes.indexOf('\n');
    const QByteArray first = bytes.left(lineEnd < 0 ? bytes.size() : lineEnd);
    const bool tabs = path.endsWith(QStringLiteral(".tsv"), Qt::CaseInsensitive) ||
                      (first.contains('\t') && !first.contains(','));
    return ParseStaffList(bytes, tabs);
}
