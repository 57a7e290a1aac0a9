// Projection, plotting and the two passes of the tick on a picture.
#include <gtest/gtest.h>

#include <cmath>

#include "core/Integrator.h"
#include "core/Tick.h"
#include "display/Picture.h"
#include "display/PictureExport.h"
#include "display/Projection.h"
#include "display/TickView.h"
#include "tests/support/Bodies.h"

namespace {

Body At(double x, double y, double z) {
    return AtRest(x, y, z, 1);
}

int WhitePixels(const QImage& image) {
    int count = 0;
    for (int l = 0; l < image.height(); ++l)
        for (int k = 0; k < image.width(); ++k)
            count += image.pixel(k, l) == qRgb(255, 255, 255);
    return count;
}

}  // namespace

TEST(Projection, PlaneTable) {
    const Body b = At(5e18, 2.5e18, 1e19);
    const auto xy = Project(b, "xy", 1e19), xz = Project(b, "xz", 1e19),
               yz = Project(b, "yz", 1e19);
    ASSERT_TRUE(xy && xz && yz);
    EXPECT_EQ(xy->X, 300.0f);
    EXPECT_EQ(xy->Y, 150.0f);
    EXPECT_EQ(xz->X, 300.0f);
    EXPECT_EQ(xz->Y, 600.0f);
    EXPECT_EQ(yz->X, 150.0f);
    EXPECT_EQ(yz->Y, 600.0f);
    for (const char* other : {"", "XY", "zx", "xy "})
        EXPECT_FALSE(Project(b, other, 1e19));
    EXPECT_EQ(Project(At(-1e18, 0, 0), "xy", 1e19)->X, -60.0f);
}

TEST(Picture, PlotsOnePixelAndDropsWhatLiesOutside) {
    Picture picture;
    EXPECT_EQ(picture.Image().size(), QSize(505, 457));
    EXPECT_EQ(picture.Image().pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_TRUE(picture.Plot({300.7f, 150.2f}, qRgb(255, 255, 255)));
    EXPECT_EQ(picture.Image().pixel(300, 150), qRgb(255, 255, 255));
    EXPECT_EQ(WhitePixels(picture.Image()), 1);
    for (PicturePoint outside : {PicturePoint{-0.5f, 3},
                                 {505, 3},
                                 {3, 457},
                                 {3, -1},
                                 {NAN, 3},
                                 {INFINITY, 3},
                                 {3, -INFINITY}})
        EXPECT_FALSE(picture.Plot(outside, qRgb(255, 255, 255)));
    EXPECT_TRUE(picture.Plot({504.9f, 456.9f}, qRgb(255, 255, 255)));
    EXPECT_EQ(WhitePixels(picture.Image()), 2);
}

TEST(Picture, ChangedRectangleHoldsEveryPlotSinceItWasLastTaken) {
    Picture picture;
    EXPECT_TRUE(picture.TakeChanged().isEmpty());
    picture.Plot({300.7f, 150.2f}, qRgb(255, 255, 255));
    picture.Plot({20, 400}, qRgb(0, 0, 0));        // erasing changes pixels too
    picture.Plot({-3, 500}, qRgb(255, 255, 255));  // outside: nothing changed
    EXPECT_EQ(picture.TakeChanged(), QRect(QPoint(20, 150), QPoint(300, 400)));
    EXPECT_TRUE(picture.TakeChanged().isEmpty());
    picture.Plot({504.9f, 456.9f}, qRgb(255, 255, 255));
    EXPECT_EQ(picture.TakeChanged(), QRect(504, 456, 1, 1));
}

// The copy that the runner's frames are made from reads only the rows that ever saw ink;
// it must still hold every white pixel, wherever plots and erasures have left them.
TEST(Picture, CopyOfTheInkedRowsHoldsTheWholePicture) {
    Picture picture;
    EXPECT_TRUE(picture.Inked().isEmpty());
    EXPECT_EQ(
        BlackAndWhiteCopy(picture.Image(), picture.Inked()).convertToFormat(QImage::Format_RGB32),
        picture.Image());
    picture.Plot({20, 400}, qRgb(0, 0, 0));  // black plots leave no ink
    EXPECT_TRUE(picture.Inked().isEmpty());
    unsigned state = 12345;
    const auto next = [&state](int below) {
        state = state * 1103515245u + 12345u;
        return static_cast<float>((state >> 8) % static_cast<unsigned>(below));
    };
    for (int k = 0; k < 2000; ++k) {
        const bool erase = k % 3 == 2;
        // A cloud in a part of the picture, as stars are.
        picture.Plot({100 + next(60), 200 + next(40)}, erase ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
        if (k % 250 != 0) continue;
        const QImage copy = BlackAndWhiteCopy(picture.Image(), picture.Inked());
        ASSERT_EQ(copy.convertToFormat(QImage::Format_RGB32), picture.Image()) << k;
    }
    EXPECT_TRUE(QRect(100, 200, 60, 40).contains(picture.Inked()));
    picture.Plot({0, 0}, qRgb(255, 255, 255));
    picture.Plot({504, 456}, qRgb(255, 255, 255));
    EXPECT_EQ(picture.Inked(), QRect(0, 0, 505, 457));
}

TEST(TickView, PlaneChangeLeavesNoPointOfTheOldPlane) {
    Store s = TickingStore({At(1, 2, 3), At(4, 5, 6), At(7, 8, 2)}, 0, 1);
    s.Size1 = 20;
    Picture picture;
    TickView view(picture);
    Integrator integrator;
    RunTick(s, view, integrator);
    EXPECT_EQ(WhitePixels(picture.Image()), 3);
    EXPECT_EQ(picture.Image().pixel(30, 60), qRgb(255, 255, 255));
    s.Plane = "yz";
    RunTick(s, view, integrator);
    EXPECT_EQ(WhitePixels(picture.Image()), 3);
    EXPECT_EQ(picture.Image().pixel(30, 60), qRgb(0, 0, 0));
    EXPECT_EQ(picture.Image().pixel(60, 90), qRgb(255, 255, 255));  // (y, z) of the first star
    EXPECT_EQ(view.texts().caption, "Кворакс  2 шаг");
}

TEST(TickView, SharedPointIsNotLeftBlack) {
    // Two stars on one pixel, one of them moving away: the erase of both comes first.
    Body moving = At(1, 1, 5);
    moving.vx = 1;
    Store s = TickingStore({At(1, 1, 0), moving}, 0, 3);
    s.Size1 = 600;
    Picture picture;
    TickView view(picture);
    Integrator integrator;
    RunTick(s, view, integrator);
    RunTick(s, view, integrator);
    EXPECT_EQ(picture.Image().pixel(1, 1), qRgb(255, 255, 255));
    EXPECT_EQ(picture.Image().pixel(4, 1), qRgb(255, 255, 255));
    EXPECT_EQ(WhitePixels(picture.Image()), 2);
}
