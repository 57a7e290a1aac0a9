// The lossless mapping between argument bytes and QString.
#include "runner/ArgumentBytes.h"

#include "start/TextEncoding.h"

namespace {

constexpr char16_t kEscapedByteBase = 0xDC00;  // U+DC80..U+DCFF stand for bytes 0x80..0xFF

bool IsEscapedByte(char16_t unit) {
    return unit >= kEscapedByteBase + 0x80 && unit <= kEscapedByteBase + 0xFF;
}

}  // namespace

QString ArgumentText(std::string_view bytes) {
    QString text;
    for (std::size_t k = 0; k < bytes.size();) {
        const std::size_t length = Utf8SequenceLength(bytes, k);
        if (length == 0) {
            text += QChar(char16_t(kEscapedByteBase + static_cast<unsigned char>(bytes[k])));
            ++k;
        } else {
            text += QString::fromUtf8(bytes.data() + k, static_cast<qsizetype>(length));
            k += length;
        }
    }
    return text;
}

std::string ArgumentBytes(const QString& text) {
    std::string bytes;
    qsizetype plainFrom = 0;  // the run of ordinary characters not yet converted
    auto flush = [&](qsizetype end) {
        bytes += text.mid(plainFrom, end - plainFrom).toStdString();
    };
    for (qsizetype k = 0; k < text.size(); ++k) {
        const char16_t unit = text[k].unicode();
        if (!IsEscapedByte(unit)) continue;
        // A lone low surrogate: no high surrogate before it makes a pair.
        if (k > 0 && text[k - 1].isHighSurrogate()) continue;
        flush(k);
        bytes += static_cast<char>(unit - kEscapedByteBase);
        plainFrom = k + 1;
    }
    flush(text.size());
    return bytes;
}

std::vector<std::string> ArgumentsOf(int argc, const char* const* argv) {
    return std::vector<std::string>(argv, argv + argc);
}
