#pragma once
// Text as the library file holds it, and how an edit made on its shown form goes back.
//
// A file may hold bytes that are not valid UTF-8 (libraries converted byte for byte from an
// 8-bit code page) and line breaks of any system (CR LF, lone CR). What the user sees is
// decoded and normalised; what is written back keeps the stored form of every part the
// user did not touch, so an edit of one character changes only that character.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The engine's text encoding for the file (its "PRAGMA encoding").
enum class StoredEncoding { Utf8, Utf16le, Utf16be };

// Decodes stored bytes. In UTF-8 every byte that does not belong to a valid sequence is
// shown as one U+FFFD, so no run of text around it is lost.
QString DecodeStored(QByteArrayView bytes, StoredEncoding encoding);
// Never a null array, so an empty text is stored as the empty text and not as NULL.
QByteArray EncodeStored(const QString& text, StoredEncoding encoding);
// The bytes to store for `edited`, a changed form of what `stored` decodes to: the bytes
// before and after the changed span are kept as they are, only that span is encoded anew.
QByteArray ApplyEditToStored(const QByteArray& stored, const QString& edited, StoredEncoding encoding);

// The text to store for `edited`, where `shown` is how an editor gave `original` back
// (every line break as a line feed). Untouched text keeps its own line breaks; a new line
// break takes the kind the original uses most (a line feed when it has none).
QString ApplyEditKeepingLineBreaks(const QString& original, const QString& shown, const QString& edited);
