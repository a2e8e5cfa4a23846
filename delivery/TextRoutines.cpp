#include "delivery/TextRoutines.h"

namespace {

// In memory the text is UTF-16: a character outside the basic plane is a surrogate pair, and
// a match must neither begin nor end between its two halves, just as a byte-wise match must
// never split a UTF-8 sequence.
bool SplitsPair(const QString& text, qsizetype pos)
{
    return pos > 0 && pos < text.size() && text.at(pos).isLowSurrogate()
        && text.at(pos - 1).isHighSurrogate();
}

bool MatchesAt(const QString& text, qsizetype pos, const QString& pattern)
{
    if (pattern.isEmpty() || text.size() - pos < pattern.size())
        return false;
    if (QStringView(text).mid(pos, pattern.size()) != pattern)
        return false;
    return !SplitsPair(text, pos) && !SplitsPair(text, pos + pattern.size());
}

} // namespace

bool IsIdentChar(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9') || u == u'_';
}

QString ReplaceAllOf(const QString& text, const QStringList& patterns, const QString& replacement)
{
    QString result;
    bool replaced = false;
    qsizetype copiedUpTo = 0;
    qsizetype pos = 0;
    while (pos < text.size()) {
        const QString* hit = nullptr;
        for (const QString& pattern : patterns) {
            if (MatchesAt(text, pos, pattern)) {
                hit = &pattern;
                break;
            }
        }
        if (!hit) {
            ++pos;
            continue;
        }
        // Scanning the input rather than the growing result is what keeps inserted text
        // from ever being examined again.
        result += QStringView(text).mid(copiedUpTo, pos - copiedUpTo);
        result += replacement;
        pos += hit->size();
        copiedUpTo = pos;
        replaced = true;
    }
    if (!replaced)
        return text;
    result += QStringView(text).mid(copiedUpTo);
    return result;
}

QString ReplaceAll(const QString& text, const QString& pattern, const QString& replacement)
{
    return ReplaceAllOf(text, QStringList {pattern}, replacement);
}

QString ConvertEscapes(const QString& text)
{
    QString result = ReplaceAll(text, QStringLiteral("\\cr"), QStringLiteral("\r\n"));
    result = ReplaceAll(result, QStringLiteral("\\tb"), QStringLiteral("\t"));
    return ReplaceAll(result, QStringLiteral("\\bk"), QStringLiteral("\b"));
}
