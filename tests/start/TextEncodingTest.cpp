// Telling UTF-8 from Windows-1251 and converting the latter, checked against the C library.
#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

#include "start/TextEncoding.h"

namespace {

// glibc's own converter: the reference for every defined byte.
std::string IconvFrom1251(const std::string& bytes) {
    iconv_t cd = iconv_open("UTF-8", "CP1251");
    EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1));
    std::string in = bytes, out(bytes.size() * 4, '\0');
    char* inPtr = in.data();
    char* outPtr = out.data();
    std::size_t inLeft = in.size(), outLeft = out.size();
    const std::size_t done = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (done == static_cast<std::size_t>(-1)) return "<undefined>";
    out.resize(out.size() - outLeft);
    return out;
}

}  // namespace

TEST(TextEncoding, EveryDefinedByteReadsAsTheCodePageSays) {
    for (int byte = 0; byte < 256; ++byte) {
        const std::string one(1, static_cast<char>(byte));
        const std::string expected = IconvFrom1251(one);
        if (byte == 0x98 && expected == "<undefined>") {
            EXPECT_EQ(Windows1251ToUtf8(one), "\xC2\x98");  // kept as U+0098
            continue;
        }
        EXPECT_EQ(Windows1251ToUtf8(one), expected) << byte;
        EXPECT_TRUE(IsValidUtf8(Windows1251ToUtf8(one))) << byte;
    }
    EXPECT_EQ(Windows1251ToUtf8("\xf7\xe0\xf1\xf2\xee\xf2\xe0, 0.1"), "частота, 0.1");
}

TEST(TextEncoding, Utf8ValidityFollowsTheStandard) {
    for (const char* valid : {"", "ascii", "частота", "\xE2\x82\xAC", "\xF0\x9F\x98\x80",
                              "\xF4\x8F\xBF\xBF", "\xED\x9F\xBF", "\xEF\xBB\xBF"})
        EXPECT_TRUE(IsValidUtf8(valid)) << valid;
    for (const char* invalid :
         {"\xFF\xFE", "\xC0\x80", "\xC1\xBF", "\xE0\x80\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80",
          "\xF5\x80\x80\x80", "\xD1", "\xE2\x82", "\x80", "\xD1\xD1", "\xf7\xe0\xf1"})
        EXPECT_FALSE(IsValidUtf8(invalid)) << invalid;
}

TEST(TextEncoding, FilesDropTheirByteOrderMarkAndFallBackToTheCodePage) {
    EXPECT_EQ(DecodeTextFile("\xEF\xBB\xBF\"1\""), "\"1\"");
    EXPECT_EQ(DecodeTextFile("\"\xEF\xBB\xBF\""), "\"\xEF\xBB\xBF\"");  // only at the start
    EXPECT_EQ(DecodeTextFile("частота"), "частота");
    EXPECT_EQ(DecodeTextFile("\"\xf7\xe0\xf1\"\r\n"), "\"час\"\r\n");
    // One invalid byte makes the whole file Windows-1251, also its UTF-8-looking parts.
    EXPECT_EQ(DecodeTextFile("\xD1\x87\xff"), "С‡я");
    EXPECT_EQ(DecodeTextFile("\xEF\xBB\xBF\xff"), "я");
}

TEST(TextEncoding, MessagesShowWhatIsNotPrintableUtf8Escaped) {
    EXPECT_EQ(EscapedBytes("bad\xff\xfe.kvx"), "bad\\xFF\\xFE.kvx");
    EXPECT_EQ(EscapedBytes("частота/a b.kvx"), "частота/a b.kvx");
    EXPECT_EQ(EscapedBytes("line\nend\x7f"), "line\\x0Aend\\x7F");
    EXPECT_EQ(EscapedBytes("\xD1"), "\\xD1");  // a sequence cut short
    EXPECT_NE(EscapedBytes("a\xff"), EscapedBytes("a\xfe"));
}
