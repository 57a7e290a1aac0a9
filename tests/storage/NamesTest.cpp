// Default names and picture names, and the picture file itself.
#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <fstream>

#include "storage/DefaultName.h"
#include "storage/PictureExport.h"
#include "tests/support/TempFolder.h"

namespace {

void Touch(const std::string& path) {
    std::ofstream(path) << "x";
}

}  // namespace

TEST(DefaultName, NumbersStartAtTheCountOfMatchingFiles) {
    TempFolder f;
    EXPECT_EQ(DefaultName(".kvx", f.path()), f.path("Noname00.kvx"));
    Touch(f.path("Noname00.kvx"));
    EXPECT_EQ(DefaultName(".kvx", f.path()), f.path("Noname01.kvx"));
    EXPECT_EQ(DefaultName(".wmf", f.path()), f.path("Noname00.wmf"));  // counted separately
    Touch(f.path("NonameAB.kvx"));                                     // any two characters match
    Touch(f.path("noname05.kvx"));  // case-sensitive: does not match
    Touch(f.path("Noname123.kvx"));
    EXPECT_EQ(DefaultName(".kvx", f.path()), f.path("Noname02.kvx"));
}

TEST(DefaultName, NeverOverwritesAFile) {
    TempFolder f;
    Touch(f.path("Noname01.kvx"));  // a gap: the count 1 names an existing file
    EXPECT_EQ(DefaultName(".kvx", f.path()), f.path("Noname02.kvx"));
    std::filesystem::create_directory(f.path("Noname02.kvx"));  // folders are not counted
    EXPECT_EQ(DefaultName(".kvx", f.path()), f.path("Noname03.kvx"));
}

TEST(DefaultName, PastNinetyNineTheNumberHasThreeDigits) {
    TempFolder f;
    for (int k = 0; k < 100; ++k) {
        char name[32];
        std::snprintf(name, sizeof name, "Noname%02d.wmf", k);
        Touch(f.path(name));
    }
    EXPECT_EQ(DefaultName(".wmf", f.path()), f.path("Noname100.wmf"));
}

TEST(PictureName, FollowsTheSnapshotName) {
    EXPECT_EQ(PictureNameFor("runs/a.kvx"), "runs/a.wmf");
    EXPECT_EQ(PictureNameFor("runs/snapshot"), "runs/snap.wmf");
    EXPECT_EQ(PictureNameFor("Noname03.kvx"), "Noname03.wmf");
    EXPECT_EQ(PictureNameFor("/tmp/снимок.kvx"), "/tmp/снимок.wmf");  // characters, not bytes
    EXPECT_EQ(PictureNameFor("runs/abc"), "runs/abc.wmf");            // too short to lose four
    EXPECT_EQ(PictureNameFor("x.kv"), "x.kv.wmf");
}

TEST(PictureExport, WritesABitmapWhateverTheExtension) {
    TempFolder f;
    QImage image(505, 457, QImage::Format_RGB32);
    image.fill(Qt::black);
    image.setPixel(300, 150, qRgb(255, 255, 255));
    WritePicture(f.path("a.wmf"), image);
    std::ifstream in(f.path("a.wmf"), std::ios::binary);
    char magic[2] = {};
    in.read(magic, 2);
    EXPECT_EQ(std::string(magic, 2), "BM");
    const QImage read(QString::fromStdString(f.path("a.wmf")), "BMP");
    ASSERT_EQ(read.size(), image.size());
    EXPECT_EQ(read.pixel(300, 150), qRgb(255, 255, 255));
    EXPECT_EQ(read.pixel(0, 0), qRgb(0, 0, 0));
}
