#include "settings/RegistryFile.h"

#include <QStringDecoder>

namespace {

// Lines of long hex data are wrapped like regedit's exports, which keeps the file
// readable in an 80-column editor.
constexpr qsizetype HexWrapColumn = 76;

// Both decoders drop a leading byte-order mark. `valid` is false when the bytes are not
// proper text in the encoding chosen.
QString DecodeText(const QByteArray& bytes, bool& valid)
{
    QStringDecoder::Encoding encoding = QStringDecoder::Utf8;
    if (bytes.size() >= 2 && uchar(bytes[0]) == 0xFF && uchar(bytes[1]) == 0xFE)
        encoding = QStringDecoder::Utf16LE;
    else if (bytes.size() >= 2 && uchar(bytes[0]) == 0xFE && uchar(bytes[1]) == 0xFF)
        encoding = QStringDecoder::Utf16BE;
    QStringDecoder decoder(encoding);
    QString text = decoder.decode(bytes);
    valid = !decoder.hasError();
    return text;
}

// Reads a double-quoted string starting at s[pos] == '"'. Only \\ and \" are escapes;
// a backslash before anything else is kept, so hand-written paths survive.
bool ParseQuoted(const QString& s, qsizetype& pos, QString& out)
{
    ++pos;
    while (pos < s.size()) {
        const QChar c = s[pos];
        if (c == QLatin1Char('"')) {
            ++pos;
            return true;
        }
        if (c == QLatin1Char('\\') && pos + 1 < s.size()
            && (s[pos + 1] == QLatin1Char('\\') || s[pos + 1] == QLatin1Char('"'))) {
            out += s[pos + 1];
            pos += 2;
            continue;
        }
        out += c;
        ++pos;
    }
    return false;
}

QString Quote(const QString& text)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('"'))
            out += QLatin1Char('\\');
        out += c;
    }
    out += QLatin1Char('"');
    return out;
}

bool ParseHexNumber(QStringView digits, int maxDigits, quint32& out)
{
    if (digits.isEmpty() || digits.size() > maxDigits)
        return false;
    bool ok = false;
    out = digits.toUInt(&ok, 16);
    // toUInt accepts a sign and a "0x" prefix; the file format has neither.
    for (const QChar c : digits) {
        if (!c.isDigit() && !(c.toLower() >= QLatin1Char('a') && c.toLower() <= QLatin1Char('f')))
            return false;
    }
    return ok;
}

bool ParseHexBytes(QStringView list, QByteArray& out)
{
    const QStringView trimmed = list.trimmed();
    if (trimmed.isEmpty())
        return true;
    const auto tokens = trimmed.split(QLatin1Char(','));
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        const QStringView token = tokens[i].trimmed();
        // A trailing comma is tolerated; an empty token anywhere else is not.
        if (token.isEmpty() && i == tokens.size() - 1 && i > 0)
            break;
        quint32 byte = 0;
        if (!ParseHexNumber(token, 2, byte))
            return false;
        out.append(char(byte));
    }
    return true;
}

// Parses the data after '='. `lines`/`index` allow hex data to continue on the
// following lines when a line ends with a backslash.
bool ParseData(QString rest, const QStringList& lines, qsizetype& index, RegValue& value)
{
    if (rest.startsWith(QLatin1Char('"'))) {
        qsizetype pos = 0;
        QString text;
        if (!ParseQuoted(rest, pos, text) || !QStringView(rest).mid(pos).trimmed().isEmpty())
            return false;
        value.Type = RegType::Sz;
        value.Data = EncodeRegSz(text);
        return true;
    }
    if (rest.startsWith(QLatin1String("dword:"), Qt::CaseInsensitive)) {
        quint32 number = 0;
        if (!ParseHexNumber(QStringView(rest).mid(6).trimmed(), 8, number))
            return false;
        value.Type = RegType::Dword;
        value.Data = EncodeDword(qint32(number));
        return true;
    }
    if (!rest.startsWith(QLatin1String("hex"), Qt::CaseInsensitive))
        return false;

    while (rest.trimmed().endsWith(QLatin1Char('\\')) && index + 1 < lines.size()) {
        rest = rest.trimmed();
        rest.chop(1);
        rest += lines[++index].trimmed();
    }
    qsizetype colon = rest.indexOf(QLatin1Char(':'));
    if (colon < 0)
        return false;
    const QStringView kind = QStringView(rest).left(colon).trimmed();
    if (kind.compare(QLatin1String("hex"), Qt::CaseInsensitive) == 0) {
        value.Type = RegType::Binary;
    } else if (kind.size() > 5 && kind.startsWith(QLatin1String("hex("), Qt::CaseInsensitive)
        && kind.endsWith(QLatin1Char(')'))) {
        if (!ParseHexNumber(kind.mid(4, kind.size() - 5), 8, value.Type))
            return false;
    } else {
        return false;
    }
    return ParseHexBytes(QStringView(rest).mid(colon + 1), value.Data);
}

bool ParseValueLine(const QString& line, const QStringList& lines, qsizetype& index, RegValue& value)
{
    qsizetype pos = 0;
    if (line.startsWith(QLatin1Char('@'))) {
        pos = 1;
    } else if (!line.startsWith(QLatin1Char('"')) || !ParseQuoted(line, pos, value.Name)) {
        return false;
    }
    while (pos < line.size() && line[pos].isSpace())
        ++pos;
    if (pos >= line.size() || line[pos] != QLatin1Char('='))
        return false;
    return ParseData(line.mid(pos + 1).trimmed(), lines, index, value);
}

// A string can be written as "text" only when that form gives back the same bytes:
// one terminating NUL and nothing that would break the line or the UTF-8 file.
bool FitsQuotedForm(const QByteArray& data)
{
    if (data.size() < 2 || data.size() % 2 != 0 || !data.endsWith(QByteArray(2, '\0')))
        return false;
    const QString text = DecodeRegSz(data);
    if ((text.size() + 1) * 2 != data.size() || !text.isValidUtf16())
        return false;
    return !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r'));
}

QString HexData(const QString& prefix, const QByteArray& data)
{
    QString out = prefix;
    qsizetype column = prefix.size();
    for (qsizetype i = 0; i < data.size(); ++i) {
        out += QStringLiteral("%1").arg(uchar(data[i]), 2, 16, QLatin1Char('0'));
        column += 2;
        if (i + 1 == data.size())
            break;
        out += QLatin1Char(',');
        ++column;
        if (column > HexWrapColumn) {
            out += QStringLiteral("\\\n  ");
            column = 2;
        }
    }
    return out;
}

QString ValueLine(const RegValue& value)
{
    const QString name = value.Name.isEmpty() ? QStringLiteral("@") : Quote(value.Name);
    if (value.Type == RegType::Sz && FitsQuotedForm(value.Data))
        return name + QLatin1Char('=') + Quote(DecodeRegSz(value.Data));
    if (value.Type == RegType::Dword && value.Data.size() == 4) {
        return name + QStringLiteral("=dword:%1").arg(DecodeDword(value.Data), 8, 16, QLatin1Char('0'));
    }
    if (value.Type == RegType::Binary)
        return HexData(name + QStringLiteral("=hex:"), value.Data);
    return HexData(name + QStringLiteral("=hex(%1):").arg(value.Type, 0, 16), value.Data);
}

} // namespace

bool RegNameFitsOnALine(const QString& name)
{
    return !name.contains(QLatin1Char('\n')) && !name.contains(QLatin1Char('\r')) && name.isValidUtf16();
}

QString SettingsKeyPath(const QString& productName)
{
    return QStringLiteral("HKEY_CURRENT_USER\\Software\\Quillmoor\\") + productName
        + QStringLiteral("\\Settings");
}

QByteArray EncodeRegSz(const QString& text)
{
    QByteArray data;
    data.reserve((text.size() + 1) * 2);
    for (const QChar c : text) {
        data.append(char(c.unicode() & 0xFF));
        data.append(char(c.unicode() >> 8));
    }
    data.append(2, '\0');
    return data;
}

QString DecodeRegSz(const QByteArray& data)
{
    QString text;
    for (qsizetype i = 0; i + 1 < data.size(); i += 2) {
        const char16_t unit = char16_t(uchar(data[i]) | uchar(data[i + 1]) << 8);
        if (unit == 0)
            break;
        text += QChar(unit);
    }
    return text;
}

QByteArray EncodeRegMultiSz(const QStringList& strings)
{
    QByteArray data;
    for (const QString& text : strings)
        data += EncodeRegSz(text);
    data.append(2, '\0');
    return data;
}

QStringList DecodeRegMultiSz(const QByteArray& data)
{
    QStringList strings;
    for (qsizetype offset = 0; offset + 1 < data.size();) {
        const QString text = DecodeRegSz(data.mid(offset));
        if (text.isEmpty())
            break;
        strings.append(text);
        offset += (text.size() + 1) * 2;
    }
    return strings;
}

QByteArray EncodeDword(qint32 value)
{
    const quint32 bits = quint32(value);
    QByteArray data(4, '\0');
    for (int i = 0; i < 4; ++i)
        data[i] = char((bits >> (8 * i)) & 0xFF);
    return data;
}

quint32 DecodeDword(const QByteArray& data)
{
    Q_ASSERT(data.size() == 4);
    return quint32(uchar(data[0])) | quint32(uchar(data[1])) << 8 | quint32(uchar(data[2])) << 16
        | quint32(uchar(data[3])) << 24;
}

RegistryFile::RegistryFile(QString keyPath)
    : m_keyPath(std::move(keyPath))
{
}

RegistryFile RegistryFile::Parse(const QByteArray& bytes, const QString& keyPath)
{
    RegistryFile file(keyPath);
    bool valid = true;
    QStringList lines = DecodeText(bytes, valid).split(QLatin1Char('\n'));
    file.m_whole = valid;
    for (QString& line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    bool inKey = false;
    bool first = true;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty())
            continue;
        const bool header = first && line == QLatin1String(RegFileHeader);
        first = false;
        if (header)
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            inKey = line.endsWith(QLatin1Char(']'))
                && QStringView(line).mid(1, line.size() - 2).compare(keyPath, Qt::CaseInsensitive) == 0;
            if (!inKey)
                file.m_whole = false;
            continue;
        }
        RegValue value;
        if (!inKey || line.startsWith(QLatin1Char(';')) || !ParseValueLine(line, lines, i, value)) {
            file.m_whole = false;
            continue;
        }
        if (file.IndexOf(value.Name) >= 0)
            file.m_whole = false;
        file.Set(value);
    }
    return file;
}

QByteArray RegistryFile::Serialise() const
{
    QString text = QLatin1String(RegFileHeader) + QStringLiteral("\n\n[") + m_keyPath + QStringLiteral("]\n");
    for (const RegValue& value : m_values) {
        if (RegNameFitsOnALine(value.Name))
            text += ValueLine(value) + QLatin1Char('\n');
    }
    return text.toUtf8();
}

qsizetype RegistryFile::IndexOf(const QString& name) const
{
    return m_index.value(name.toCaseFolded(), -1);
}

const RegValue* RegistryFile::Find(const QString& name) const
{
    const qsizetype index = IndexOf(name);
    return index >= 0 ? &m_values[index] : nullptr;
}

void RegistryFile::Set(const RegValue& value)
{
    const qsizetype index = IndexOf(value.Name);
    if (index >= 0) {
        m_values[index].Type = value.Type;
        m_values[index].Data = value.Data;
        return;
    }
    m_index.insert(value.Name.toCaseFolded(), m_values.size());
    m_values.append(value);
}
