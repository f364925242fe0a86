// The template file: every line cut at its columns and every field's number.

#include "fuzzfile.h"
#include "layout/templates.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const TemplateFile file = ReadTemplateFile(FuzzFile("Format.qfd", data, size));
    volatile double sink = 0; // keeps the values computed
    for (const TKFormat& t : file.TKFormats) {
        for (int f = 0; f < TKFormat::FieldCount; ++f)
            sink = sink + t.value(TKFormat::Field(f));
    }
    return 0;
}
