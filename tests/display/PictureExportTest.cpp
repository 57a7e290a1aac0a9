// Picture names, the picture file and its black-and-white copy.
#include <gtest/gtest.h>

#include <QImage>
#include <fstream>

#include "display/PictureExport.h"
#include "tests/support/TempFolder.h"

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

TEST(PictureExport, BlackAndWhiteCopyKeepsEveryPixelAndRefusesOtherColours) {
    QImage image(13, 3, QImage::Format_RGB32);  // a row that does not fill its last byte
    image.fill(Qt::black);
    image.setPixel(0, 0, qRgb(255, 255, 255));
    image.setPixel(12, 1, qRgb(255, 255, 255));
    image.setPixel(8, 2, qRgb(255, 255, 255));
    const QImage copy = BlackAndWhiteCopy(image);
    ASSERT_FALSE(copy.isNull());
    EXPECT_EQ(copy.depth(), 1);
    EXPECT_EQ(copy.convertToFormat(QImage::Format_RGB32), image);
    image.setPixel(5, 1, qRgb(255, 255, 254));
    EXPECT_TRUE(BlackAndWhiteCopy(image).isNull());
}
