#pragma once
// The settings file in the text format of registry exports: a header line, a blank
// line, a key line, then one typed value a line. Parsing never fails: what cannot be
// understood is left out, so the next write of the file repairs it.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

// Registry value types; any other number is kept as it is and written as hex(N).
namespace RegType {
inline constexpr quint32 None = 0;
inline constexpr quint32 Sz = 1;
inline constexpr quint32 ExpandSz = 2;
inline constexpr quint32 Binary = 3;
inline constexpr quint32 Dword = 4;
inline constexpr quint32 MultiSz = 7;
} // namespace RegType

// One named value with its data exactly as the registry holds it: string types are
// UTF-16LE code units with their terminating NUL, REG_DWORD is four bytes little-endian.
struct RegValue {
    QString Name; // empty for the key's default value, written "@"
    quint32 Type = RegType::None;
    QByteArray Data;
};

inline constexpr const char* RegFileHeader = "Windows Registry Editor Version 5.00";

// "HKEY_CURRENT_USER\Software\Quillmoor\<product>\Settings"
QString SettingsKeyPath(const QString& productName);

// Data encodings. A string is stored as UTF-16LE with a terminating NUL; reading stops
// at the first NUL code unit, and an odd trailing byte is dropped.
QByteArray EncodeRegSz(const QString& text);
QString DecodeRegSz(const QByteArray& data);
// A multi-string is each string so encoded, then one more NUL; an empty string ends the
// list, so the strings must not be empty. Reading stops at the empty string.
QByteArray EncodeRegMultiSz(const QStringList& strings);
QStringList DecodeRegMultiSz(const QByteArray& data);
QByteArray EncodeDword(qint32 value);
// The four little-endian bytes of a REG_DWORD; the caller checks that there are four.
quint32 DecodeDword(const QByteArray& data);

// A value name must fit inside the quotes of one line of the file.
bool RegNameFitsOnALine(const QString& name);

// The values of one key, in the order they were first written.
class RegistryFile final {
public:
    explicit RegistryFile(QString keyPath);

    // Reads UTF-8 (with or without BOM) or UTF-16 with BOM. Only values under the
    // line of `keyPath` (compared without regard to case) are kept; values of other keys,
    // comments and unparseable lines are left out. A name given twice keeps the first
    // position and the last data, as importing such a file into the registry would.
    // Linear in the size of the text.
    static RegistryFile Parse(const QByteArray& bytes, const QString& keyPath);

    // False when parsing left anything out (see Parse) or the text was not valid in its
    // encoding: writing the values back would then lose part of what the file held.
    bool Whole() const { return m_whole; }

    // UTF-8 text with '\n' line ends; long hex data is wrapped with a trailing "\".
    QByteArray Serialise() const;

    const QString& KeyPath() const { return m_keyPath; }
    const QList<RegValue>& Values() const { return m_values; }
    // Names compare without regard to case, like the registry's.
    const RegValue* Find(const QString& name) const;
    // Replaces the data and type in place (keeping the stored spelling of the name) or
    // appends a new value.
    void Set(const RegValue& value);

private:
    // Index into m_values by case-folded name.
    qsizetype IndexOf(const QString& name) const;

    QString m_keyPath;
    QList<RegValue> m_values;
    QHash<QString, qsizetype> m_index;
    bool m_whole = true;
};
