// The readout and the graph on a scaled screen: run by its own CTest entry with
// QT_SCALE_FACTOR=2, skipped at 100 %, where a unit is one pixel and nothing can be finer.
#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>
#include <QString>

#include "controls/Digistring.h"
#include "controls/GraphCtrl.h"

namespace {

// Blocks of ratio x ratio pixels, one per unit of the control, that are not of one colour. A
// buffer of the control's units copied to the screen repeats each pixel over its block: none.
int blocksWithDetail(const QImage& image, int ratio) {
    int detailed = 0;
    for (int y = 0; y + ratio <= image.height(); y += ratio) {
        for (int x = 0; x + ratio <= image.width(); x += ratio) {
            const QRgb first = image.pixel(x, y);
            bool same = true;
            for (int dy = 0; dy < ratio && same; ++dy) {
                for (int dx = 0; dx < ratio && same; ++dx) {
                    same = image.pixel(x + dx, y + dy) == first;
                }
            }
            detailed += same ? 0 : 1;
        }
    }
    return detailed;
}

TEST(ScaledScreenTest, ReadoutAndGraphDrawTheScreensOwnPixels) {
    const QString factor = qEnvironmentVariable("QT_SCALE_FACTOR");
    if (factor.isEmpty()) {
        GTEST_SKIP() << "runs with QT_SCALE_FACTOR set";
    }
    const int ratio = factor.toInt();
    ASSERT_GE(ratio, 2);

    CDigiString readout;
    readout.resize(290, 76);
    readout.SetText("-12.5");
    CGraphCtrl graph;
    graph.Create(QRect(0, 0, 299, 251), nullptr);
    graph.SetXRange(-10, 10, 2);
    graph.SetYRange(-105, 105, 2);
    graph.SetXTitle("Volt（V）");
    graph.AddPoint(0, -10, -50, Qt::yellow);
    graph.AddPoint(0, 10, 80, Qt::yellow);

    for (QWidget* control : {static_cast<QWidget*>(&readout), static_cast<QWidget*>(&graph)}) {
        SCOPED_TRACE(control->metaObject()->className());
        ASSERT_EQ(control->devicePixelRatio(), ratio);
        const QImage image = control->grab().toImage().convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(image.size(), control->size() * ratio);
        // The frame is drawn straight onto the screen: only the buffer's area counts.
        const QRect inside = control->contentsRect();
        EXPECT_GT(blocksWithDetail(
                      image.copy(QRect(inside.topLeft() * ratio, inside.size() * ratio)), ratio),
                  100);
    }
}

}  // namespace
