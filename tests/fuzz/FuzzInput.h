#pragma once
// Turns fuzzer bytes into QStrings. Half of the inputs are read as raw UTF-16, so lone and
// mismatched surrogates reach the routines too; the rest as UTF-8, the program's own encoding.

#include <fuzzer/FuzzedDataProvider.h>

#include <QString>

#include <cstdio>
#include <cstdlib>
#include <string>

inline QString ToQString(const std::string& bytes, bool asUtf16)
{
    if (!asUtf16)
        return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
    QString text;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        text.append(QChar(
            char16_t(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8)));
    return text;
}

inline QString TakeString(FuzzedDataProvider& data, bool asUtf16, size_t maxLength)
{
    return ToQString(data.ConsumeRandomLengthString(maxLength), asUtf16);
}

inline QString TakeRest(FuzzedDataProvider& data, bool asUtf16)
{
    return ToQString(data.ConsumeRemainingBytesAsString(), asUtf16);
}

[[noreturn]] inline void PropertyFailed(const char* what)
{
    std::fprintf(stderr, "property violated: %s\n", what);
    std::abort();
}

#define FUZZ_CHECK(condition)                                                                                \
    do {                                                                                                     \
        if (!(condition))                                                                                    \
            PropertyFailed(#condition);                                                                      \
    } while (false)
