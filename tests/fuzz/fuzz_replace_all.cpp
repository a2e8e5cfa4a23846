#include "tests/fuzz/FuzzInput.h"

#include "delivery/TextRoutines.h"

#include <vector>

namespace {

// A separate, deliberately plain model of the replacement scan: the text is first cut into
// code points, so a surrogate pair is one unit and can never be split by a match.
std::vector<char32_t> CodePoints(const QString& text)
{
    std::vector<char32_t> points;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text.at(i).unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            points.push_back(QChar::surrogateToUcs4(unit, text.at(i + 1).unicode()));
            ++i;
        } else {
            points.push_back(unit);
        }
    }
    return points;
}

QString FromCodePoints(const std::vector<char32_t>& points)
{
    QString text;
    for (char32_t point : points) {
        if (point > 0xFFFF) {
            text.append(QChar(QChar::highSurrogate(point)));
            text.append(QChar(QChar::lowSurrogate(point)));
        } else {
            text.append(QChar(char16_t(point)));
        }
    }
    return text;
}

QString ModelReplaceAll(const QString& text, const QString& pattern, const QString& replacement)
{
    const std::vector<char32_t> in = CodePoints(text);
    const std::vector<char32_t> pat = CodePoints(pattern);
    const std::vector<char32_t> rep = CodePoints(replacement);
    if (pat.empty())
        return text;
    std::vector<char32_t> out;
    size_t i = 0;
    while (i < in.size()) {
        bool match = in.size() - i >= pat.size();
        for (size_t k = 0; match && k < pat.size(); ++k)
            match = in[i + k] == pat[k];
        if (match) {
            out.insert(out.end(), rep.begin(), rep.end());
            i += pat.size();
        } else {
            out.push_back(in[i]);
            ++i;
        }
    }
    return FromCodePoints(out);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    FuzzedDataProvider data(bytes, size);
    const bool asUtf16 = data.ConsumeBool();
    const QString pattern = TakeString(data, asUtf16, 16);
    const QString replacement = TakeString(data, asUtf16, 16);
    const QString text = TakeRest(data, asUtf16);

    const QString result = ReplaceAll(text, pattern, replacement);
    FUZZ_CHECK(result == ModelReplaceAll(text, pattern, replacement));
    if (pattern.isEmpty() || !text.contains(pattern))
        FUZZ_CHECK(result == text);
    return 0;
}
