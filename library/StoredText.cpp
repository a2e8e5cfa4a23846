#include "library/StoredText.h"

#include <algorithm>
#include <vector>

namespace {

// Length of the valid UTF-8 sequence at `s`, or 0 when its first byte starts none.
qsizetype SequenceLength(const unsigned char* s, qsizetype available)
{
    const unsigned char lead = s[0];
    if (lead < 0x80)
        return 1;
    qsizetype length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        // No overlong forms and no surrogates.
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (available < length || s[1] < low || s[1] > high)
        return 0;
    for (qsizetype k = 2; k < length; ++k) {
        if ((s[k] & 0xC0) != 0x80)
            return 0;
    }
    return length;
}

// Decodes UTF-8; `starts`, when given, receives the byte offset at which the character of
// each UTF-16 unit starts, followed by the end offset.
QString DecodeUtf8(QByteArrayView bytes, std::vector<qsizetype>* starts)
{
    QString text;
    text.reserve(bytes.size());
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype size = bytes.size();
    for (qsizetype at = 0; at < size;) {
        const qsizetype length = SequenceLength(data + at, size - at);
        char32_t code = 0xFFFD;
        if (length == 1) {
            code = data[at];
        } else if (length > 1) {
            code = data[at] & (0x7F >> length);
            for (qsizetype k = 1; k < length; ++k)
                code = (code << 6) | (data[at + k] & 0x3F);
        }
        if (code > 0xFFFF) {
            text.append(QChar(QChar::highSurrogate(code)));
            text.append(QChar(QChar::lowSurrogate(code)));
            if (starts != nullptr)
                starts->push_back(at);
        } else {
            text.append(QChar(static_cast<char16_t>(code)));
        }
        if (starts != nullptr)
            starts->push_back(at);
        at += std::max<qsizetype>(length, 1);
    }
    if (starts != nullptr)
        starts->push_back(size);
    return text;
}

QString DecodeUtf16(QByteArrayView bytes, bool littleEndian)
{
    QString text;
    text.reserve(bytes.size() / 2 + 1);
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    for (qsizetype at = 0; at + 1 < bytes.size(); at += 2) {
        const auto first = static_cast<char16_t>(data[at]);
        const auto second = static_cast<char16_t>(data[at + 1]);
        text.append(
            QChar(static_cast<char16_t>(littleEndian ? first | (second << 8) : (first << 8) | second)));
    }
    if (bytes.size() % 2 != 0)
        text.append(QChar(QChar::ReplacementCharacter));
    return text;
}

QByteArray NotNullBytes(const QByteArray& bytes)
{
    return bytes.isNull() ? QByteArray("", 0) : bytes;
}

// The changed span between two texts, as the lengths of their common start and end. A
// surrogate pair is never cut in two.
struct Span {
    qsizetype prefix = 0;
    qsizetype suffix = 0;
};

Span ChangedSpan(QStringView before, QStringView after)
{
    const qsizetype shorter = std::min(before.size(), after.size());
    Span span;
    while (span.prefix < shorter && before[span.prefix] == after[span.prefix])
        ++span.prefix;
    if (span.prefix > 0 && before[span.prefix - 1].isHighSurrogate())
        --span.prefix;
    const qsizetype room = shorter - span.prefix;
    while (span.suffix < room
        && before[before.size() - 1 - span.suffix] == after[after.size() - 1 - span.suffix])
        ++span.suffix;
    if (span.suffix > 0 && before[before.size() - span.suffix].isLowSurrogate())
        --span.suffix;
    return span;
}

QStringView Middle(QStringView text, const Span& span)
{
    return text.mid(span.prefix, text.size() - span.prefix - span.suffix);
}

// How many characters of the line break at `at` an editor turns into one line feed.
qsizetype BreakLength(const QString& text, qsizetype at)
{
    const QChar c = text[at];
    if (c == QLatin1Char('\r'))
        return (at + 1 < text.size() && text[at + 1] == QLatin1Char('\n')) ? 2 : 1;
    return (c == QChar::LineSeparator || c == QChar::ParagraphSeparator) ? 1 : 0;
}

QString LineBreakOf(const QString& text)
{
    int crlf = 0;
    int cr = 0;
    int lf = 0;
    for (qsizetype at = 0; at < text.size(); ++at) {
        if (text[at] == QLatin1Char('\r')) {
            if (at + 1 < text.size() && text[at + 1] == QLatin1Char('\n')) {
                ++crlf;
                ++at;
            } else {
                ++cr;
            }
        } else if (text[at] == QLatin1Char('\n')) {
            ++lf;
        }
    }
    if (crlf > 0 && crlf >= cr && crlf >= lf)
        return QStringLiteral("\r\n");
    return cr > lf ? QStringLiteral("\r") : QStringLiteral("\n");
}

QString WithLineBreaks(QStringView text, const QString& lineBreak)
{
    QString result = text.toString();
    if (lineBreak != QLatin1String("\n"))
        result.replace(QLatin1Char('\n'), lineBreak);
    return result;
}

} // namespace

QString DecodeStored(QByteArrayView bytes, StoredEncoding encoding)
{
    switch (encoding) {
    case StoredEncoding::Utf16le:
        return DecodeUtf16(bytes, true);
    case StoredEncoding::Utf16be:
        return DecodeUtf16(bytes, false);
    case StoredEncoding::Utf8:
        break;
    }
    return DecodeUtf8(bytes, nullptr);
}

QByteArray EncodeStored(const QString& text, StoredEncoding encoding)
{
    if (encoding == StoredEncoding::Utf8)
        return NotNullBytes(text.toUtf8());
    QByteArray bytes;
    bytes.reserve(text.size() * 2);
    for (const QChar c : text) {
        const auto low = static_cast<char>(c.unicode() & 0xFF);
        const auto high = static_cast<char>(c.unicode() >> 8);
        bytes.append(encoding == StoredEncoding::Utf16le ? low : high);
        bytes.append(encoding == StoredEncoding::Utf16le ? high : low);
    }
    return NotNullBytes(bytes);
}

QByteArray ApplyEditToStored(const QByteArray& stored, const QString& edited, StoredEncoding encoding)
{
    // UTF-16 text decodes without loss, so only UTF-8 has bytes that must be carried over.
    if (encoding != StoredEncoding::Utf8)
        return EncodeStored(edited, encoding);
    std::vector<qsizetype> starts;
    const QString before = DecodeUtf8(stored, &starts);
    if (before == edited)
        return NotNullBytes(stored);
    const Span span = ChangedSpan(before, edited);
    QByteArray result = stored.left(starts[std::size_t(span.prefix)]);
    result += Middle(edited, span).toUtf8();
    result += stored.mid(starts[std::size_t(before.size() - span.suffix)]);
    return NotNullBytes(result);
}

QString ApplyEditKeepingLineBreaks(const QString& original, const QString& shown, const QString& edited)
{
    if (edited == shown)
        return original;
    const QString lineBreak = LineBreakOf(original);
    // Where each character of `shown` starts in `original`: they differ only where a line
    // break of the original became one line feed.
    std::vector<qsizetype> starts;
    starts.reserve(std::size_t(shown.size()) + 1);
    qsizetype at = 0;
    for (const QChar c : shown) {
        if (at >= original.size())
            return WithLineBreaks(edited, lineBreak);
        starts.push_back(at);
        const qsizetype length
            = original[at] == c ? 1 : (c == QLatin1Char('\n') ? BreakLength(original, at) : 0);
        // An editor that changed more than the line breaks: nothing of the old form can be
        // matched up, so the whole text takes the entry's line breaks.
        if (length == 0)
            return WithLineBreaks(edited, lineBreak);
        at += length;
    }
    if (at != original.size())
        return WithLineBreaks(edited, lineBreak);
    starts.push_back(at);
    const Span span = ChangedSpan(shown, edited);
    return original.left(starts[std::size_t(span.prefix)]) + WithLineBreaks(Middle(edited, span), lineBreak)
        + original.mid(starts[std::size_t(shown.size() - span.suffix)]);
}
