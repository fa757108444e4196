// File names as the system gives them: bytes, which need not be UTF-8 (a Latin-1 "café.wav"
// copied from an older system holds the byte 0xE9). The program keeps a name's bytes from the
// command line, a drop or the open dialog to the call that opens the file, and turns them into
// text only to show them.
#pragma once

#include <QString>
#include <QUrl>

#include <string>
#include <string_view>

// The name as UTF-8 text to show: valid UTF-8 stays as it is, and each byte that is not part
// of a valid UTF-8 sequence is read as the Latin-1 character of that byte (0xE9 shows as "é").
std::string ReadableFileName(std::string_view bytes);

// Text of the program's own (UTF-8) with file names in it, for a label, caption or status
// line: as ReadableFileName reads it.
inline QString ReadableText(const std::string& text) {
    return QString::fromStdString(ReadableFileName(text));
}

// A command-line argument as text that keeps every byte: decoded with the locale's file-name
// codec when that gives the bytes back, else each byte that does not decode kept as the lone
// surrogate U+DC00 + byte, which FileNameBytes turns back into it.
QString ArgumentText(const char* bytes);

// The bytes a name stands for: the locale's file-name encoding, with the surrogates that
// ArgumentText kept turned back into their bytes.
std::string FileNameBytes(const QString& name);

// The bytes of a local file's path in a "file:" URL, its percent-escapes decoded as bytes
// (file:///tmp/caf%E9.wav names the byte 0xE9); empty for a URL that names no local file.
std::string LocalFileBytes(const QUrl& url);
