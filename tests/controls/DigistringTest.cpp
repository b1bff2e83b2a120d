#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <string>
#include <vector>

#include "controls/Digistring.h"
#include "controls/logic/DigistringGeometry.h"

namespace {

using kova::DevicePoint;
using kova::DigitCellRect;

TEST(CDigiStringTest, PensBlendThreeQuartersSegmentWithOneQuarterBackground) {
    EXPECT_EQ(kova::blendSegmentPen({0, 52, 0}, {0, 0, 0}), (kova::Rgb{0, 39, 0}));
    EXPECT_EQ(kova::blendSegmentPen({0, 255, 0}, {0, 0, 0}), (kova::Rgb{0, 191, 0}));
    EXPECT_EQ(kova::blendSegmentPen({255, 10, 1}, {0, 100, 255}), (kova::Rgb{191, 32, 64}));
}

// Renders a readout of the given size and text.
QImage render(const std::string& text, int w, int h) {
    CDigiString readout;
    readout.resize(w, h);
    readout.SetText(text);
    return readout.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

QRgb rgb(int r, int g, int b) {
    return qRgb(r, g, b);
}

// Centre of a segment's outline in device pixels, for a single-cell text.
QPoint segmentCentre(const std::string& text, std::size_t segment, int w, int h) {
    const auto cells = kova::buildDigitCells(text);
    const auto rects = kova::layoutDigitCells({cells[0]->Width()}, w, h);
    int sx = 0;
    int sy = 0;
    const auto& points = cells[0]->Shapes()[segment].Points();
    for (const SegmentPoint& p : points) {
        const DevicePoint d = kova::segmentPointToDevice(p, rects[0], cells[0]->Width());
        sx += d.x;
        sy += d.y;
    }
    const int n = static_cast<int>(points.size());
    return {sx / n, sy / n};
}

TEST(CDigiStringTest, LitAndUnlitSegmentsAndBackgroundHaveTheirColours) {
    const int w = 147;
    const int h = 249;  // scale 3
    const QImage image = render("-", w, h);
    const QRgb on = rgb(0, 255, 0);
    const QRgb off = rgb(0, 52, 0);
    EXPECT_EQ(image.pixel(segmentCentre("-", 3, w, h)), on);  // the middle is lit
    for (const std::size_t unlit : {0U, 1U, 2U, 4U, 5U, 6U}) {
        EXPECT_EQ(image.pixel(segmentCentre("-", unlit, w, h)), off) << "segment " << unlit;
    }
    EXPECT_EQ(image.pixel(0, 0), rgb(0, 0, 0));
    EXPECT_EQ(image.pixel(w / 2, h / 2 - 21), rgb(0, 0, 0));  // inside the upper loop

    // The outlines are drawn in the blended pens: top-left corner of the lit middle segment
    // and of the unlit top segment.
    const auto cells = kova::buildDigitCells("-");
    const auto rects = kova::layoutDigitCells({49}, w, h);
    const DevicePoint middle = kova::segmentPointToDevice({6, 41}, rects[0], 49);
    const DevicePoint top = kova::segmentPointToDevice({5, 4}, rects[0], 49);
    EXPECT_EQ(image.pixel(middle.x, middle.y), rgb(0, 191, 0));
    EXPECT_EQ(image.pixel(top.x, top.y), rgb(0, 39, 0));
}

// Bounding box of everything that is not background.
QRect inkBounds(const QImage& image) {
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if ((image.pixel(x, y) & 0xFFFFFF) != 0) {
                box = box.united(QRect(x, y, 1, 1));
            }
        }
    }
    return box;
}

TEST(CDigiStringTest, WideControlHasEqualSideMarginsAndTallOneEqualTopAndBottom) {
    const QImage wide = render("8", 600, 166);  // scale 2 by height
    const QRect w = inkBounds(wide);
    const int left = w.left();
    const int right = wide.width() - 1 - w.right();
    EXPECT_NEAR(left, right, 1);
    EXPECT_GT(left, 200);
    EXPECT_NEAR(w.top(), 4 * 2, 1);  // the outline reaches design y = 4 and 78
    EXPECT_NEAR(w.bottom(), 78 * 2, 1);

    const QImage tall = render("8", 98, 600);  // scale 2 by width
    const QRect t = inkBounds(tall);
    const int above = t.top();
    const int below = tall.height() - 1 - t.bottom();
    EXPECT_NEAR(above, below, 1);
    EXPECT_GT(above, 200);
    EXPECT_NEAR(t.left(), 4 * 2, 1);
    EXPECT_NEAR(t.right(), 44 * 2, 1);
}

TEST(CDigiStringTest, SkippedCharactersCloseUpAndLowerCaseShowsCapitals) {
    EXPECT_EQ(render("1%2", 300, 100), render("12", 300, 100));
    EXPECT_EQ(render("volt", 300, 100), render("VOLT", 300, 100));
    EXPECT_NE(render("12", 300, 100), render("21", 300, 100));
}

TEST(CDigiStringTest, EmptyTextDrawsOnlyTheBackground) {
    const QImage image = render("", 120, 60);
    EXPECT_TRUE(inkBounds(image).isNull());
    EXPECT_EQ(image.pixel(60, 30), rgb(0, 0, 0));
}

class PaintCounter : public QObject {
  public:
    int paints = 0;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++paints;
        }
        return QObject::eventFilter(watched, event);
    }
};

TEST(CDigiStringTest, SameTextTwiceRepaintsOnce) {
    CDigiString readout;
    PaintCounter counter;
    readout.installEventFilter(&counter);
    readout.resize(200, 80);
    readout.show();
    QApplication::processEvents();
    const int initial = counter.paints;
    ASSERT_GE(initial, 1);
    EXPECT_EQ(readout.GetText(), "EMPTY");

    readout.SetText("1.5");
    QApplication::processEvents();
    EXPECT_EQ(counter.paints, initial + 1);
    readout.SetText("1.5");
    QApplication::processEvents();
    EXPECT_EQ(counter.paints, initial + 1);

    // The painted text is stored upper-cased: its capitals are the same text, while the
    // lower-case form differs again.
    readout.SetText("ab");
    QApplication::processEvents();
    EXPECT_EQ(readout.GetText(), "AB");
    readout.SetText("AB");
    QApplication::processEvents();
    EXPECT_EQ(counter.paints, initial + 2);
    readout.SetText("ab");
    QApplication::processEvents();
    EXPECT_EQ(counter.paints, initial + 3);
}

}  // namespace
