#include "file_names.h"

#include <QFile>

namespace {

constexpr char16_t kEscapeBase = 0xDC00; // the lone surrogates U+DC80..U+DCFF hold bytes

// The length of the valid UTF-8 sequence at `at`, or 0 when the byte there begins none.
std::size_t Utf8SequenceAt(std::string_view s, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80) {
        return 1;
    }
    std::size_t length;
    char32_t code;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
    } else {
        return 0;
    }
    if (at + length > s.size()) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) {
            return 0;
        }
        code = (code << 6) | (byte(at + i) & 0x3F);
    }
    const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    return overlong || surrogate || code > 0x10FFFF ? 0 : length;
}

} // namespace

std::string ReadableFileName(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (std::size_t at = 0; at < bytes.size();) {
        if (const std::size_t n = Utf8SequenceAt(bytes, at); n > 0) {
            text.append(bytes.substr(at, n));
            at += n;
            continue;
        }
        const auto b = static_cast<unsigned char>(bytes[at++]);
        text.push_back(static_cast<char>(0xC0 | (b >> 6)));
        text.push_back(static_cast<char>(0x80 | (b & 0x3F)));
    }
    return text;
}

QString ArgumentText(const char* bytes) {
    const QByteArray raw(bytes);
    const QString decoded = QFile::decodeName(raw);
    if (QFile::encodeName(decoded) == raw) {
        return decoded;
    }
    const std::string_view s(raw.constData(), static_cast<std::size_t>(raw.size()));
    QString text;
    for (std::size_t at = 0; at < s.size();) {
        if (const std::size_t n = Utf8SequenceAt(s, at); n > 0) {
            text += QString::fromUtf8(s.data() + at, static_cast<qsizetype>(n));
            at += n;
            continue;
        }
        text += QChar(static_cast<char16_t>(kEscapeBase + static_cast<unsigned char>(s[at++])));
    }
    return text;
}

std::string FileNameBytes(const QString& name) {
    std::string bytes;
    qsizetype start = 0; // of the run of ordinary characters not yet encoded
    const auto flush = [&](qsizetype end) {
        const QByteArray run = QFile::encodeName(name.mid(start, end - start));
        bytes.append(run.constData(), static_cast<std::size_t>(run.size()));
    };
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        if (c >= kEscapeBase + 0x80 && c <= kEscapeBase + 0xFF) {
            flush(i);
            bytes.push_back(static_cast<char>(c - kEscapeBase));
            start = i + 1;
        }
    }
    flush(name.size());
    return bytes;
}

std::string LocalFileBytes(const QUrl& url) {
    if (!url.isLocalFile()) {
        return {};
    }
    const QByteArray path =
        QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    return {path.constData(), static_cast<std::size_t>(path.size())};
}
