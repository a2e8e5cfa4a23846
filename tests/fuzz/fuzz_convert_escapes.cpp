#include "tests/fuzz/FuzzInput.h"

#include "delivery/TextRoutines.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    FuzzedDataProvider data(bytes, size);
    const bool asUtf16 = data.ConsumeBool();
    const QString text = TakeRest(data, asUtf16);

    const QString result = ConvertEscapes(text);
    for (const char* code : {"\\cr", "\\tb", "\\bk"})
        FUZZ_CHECK(!result.contains(QLatin1String(code)));

    // Codes never overlap, so each one shortens the text by a fixed amount.
    const qsizetype crs = text.count(QLatin1String("\\cr"));
    const qsizetype tabs = text.count(QLatin1String("\\tb"));
    const qsizetype backspaces = text.count(QLatin1String("\\bk"));
    FUZZ_CHECK(result.size() == text.size() - crs - 2 * tabs - 2 * backspaces);
    FUZZ_CHECK(result.count(QLatin1Char('\\')) == text.count(QLatin1Char('\\')) - crs - tabs - backspaces);
    return 0;
}
