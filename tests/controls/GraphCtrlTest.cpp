#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QTest>
#include <QToolTip>
#include <memory>

#include "controls/GraphCtrl.h"
#include "controls/GraphGeometry.h"

namespace {

using kova::PlotRect;

// The graph as the check window sets it up, over a frame of 299 x 251 pixels.
std::unique_ptr<CGraphCtrl> checkWindowGraph(QWidget* parent, double m = 105) {
    auto graph = std::make_unique<CGraphCtrl>();
    graph->Create(QRect(10, 10, 299, 251), parent, 7);
    graph->SetXRange(-10, 10, 2);
    graph->SetYRange(-m, m, 2);
    graph->SetYTitle("Data");
    graph->SetXTitle("Volt（V）");
    graph->SetBackColor(QColor(0, 0, 64));
    graph->SetAxisColor(QColor(192, 192, 255));
    graph->SetCurveColor(QColor(0, 255, 0));
    return graph;
}

// The client area as drawn.
QImage clientImage(CGraphCtrl& graph) {
    return graph.grab(QRect(graph.ClientOrigin(), graph.contentsRect().size()))
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

class CGraphCtrlTest : public ::testing::Test {
  protected:
    void SetUp() override {
        window_ = std::make_unique<QWidget>();
        window_->resize(330, 280);
        graph_ = checkWindowGraph(window_.get());
        reference_ = checkWindowGraph(window_.get());  // the same settings, never a point
    }
    void TearDown() override {
        graph_.reset();
        reference_.reset();
        window_.reset();
    }

    std::unique_ptr<QWidget> window_;
    std::unique_ptr<CGraphCtrl> graph_;
    std::unique_ptr<CGraphCtrl> reference_;
};

TEST_F(CGraphCtrlTest, PointsLandOnThePlotAreaCornersAndCentre) {
    const PlotRect plot = graph_->PlotArea();
    EXPECT_EQ(plot.left, 48);  // labels of "105.00"
    EXPECT_EQ(plot.top, 10);
    const QColor yellow(255, 255, 0);
    graph_->AddPoint(0, -10, -105, yellow);
    graph_->AddPoint(0, 10, 105, yellow);
    graph_->AddPoint(0, 0, 0, yellow);
    ASSERT_EQ(graph_->PointCount(0), 3);
    EXPECT_EQ(graph_->PointAt(0, 0).deviceX, plot.left);
    EXPECT_EQ(graph_->PointAt(0, 0).deviceY, plot.bottom);
    EXPECT_EQ(graph_->PointAt(0, 1).deviceX, plot.right);
    EXPECT_EQ(graph_->PointAt(0, 1).deviceY, plot.top);
    EXPECT_EQ(graph_->PointAt(0, 2).deviceX, plot.left + plot.width() / 2);
    EXPECT_EQ(graph_->PointAt(0, 2).deviceY, plot.bottom - plot.height() / 2);
    EXPECT_EQ(graph_->PointAt(0, 1).x, 10.0);
    EXPECT_EQ(graph_->PointAt(0, 1).y, 105.0);
}

TEST_F(CGraphCtrlTest, LayersAreCombinedWithBitwiseOr) {
    const QColor red(255, 0, 0);
    graph_->AddPoint(1, -10, 20, red);
    graph_->AddPoint(1, 10, 20, red);  // a horizontal line across the plot
    const QImage background = clientImage(*reference_);
    const QImage composed = clientImage(*graph_);
    const PlotRect plot = graph_->PlotArea();
    const int y = static_cast<int>(graph_->PointAt(1, 1).deviceY);
    bool crossedGrid = false;
    for (int x = plot.left + 1; x < plot.right; ++x) {
        const QRgb under = background.pixel(x, y);
        EXPECT_EQ(composed.pixel(x, y), under | qRgb(255, 0, 0)) << "x " << x;
        crossedGrid = crossedGrid || qGreen(under) == 120;
    }
    EXPECT_TRUE(crossedGrid);  // the line crossed grey grid lines and stayed combined there
    EXPECT_EQ(composed.pixel(plot.left + 5, y - 5), background.pixel(plot.left + 5, y - 5));
}

TEST_F(CGraphCtrlTest, SeriesZeroPointLeftOfThePlotGetsMarkersButNoLine) {
    const QColor yellow(255, 255, 0);
    const QImage background = clientImage(*reference_);
    const auto yellowOver = [&](QPoint p) { return background.pixel(p) | qRgb(255, 255, 0); };

    graph_->AddPoint(0, -8, 50, yellow);
    graph_->AddPoint(0, -11, 50, yellow);  // left of the plot
    const PlotRect plot = graph_->PlotArea();
    const QPoint first(static_cast<int>(graph_->PointAt(0, 0).deviceX),
                       static_cast<int>(graph_->PointAt(0, 0).deviceY));
    const QPoint second(static_cast<int>(graph_->PointAt(0, 1).deviceX),
                        static_cast<int>(graph_->PointAt(0, 1).deviceY));
    ASSERT_LT(second.x(), plot.left);
    ASSERT_GE(second.x(), 2);
    QImage image = clientImage(*graph_);
    for (const QPoint& centre : {first, second}) {
        EXPECT_EQ(image.pixel(centre + QPoint(-2, -2)), yellowOver(centre + QPoint(-2, -2)));
        EXPECT_EQ(image.pixel(centre + QPoint(1, 1)), yellowOver(centre + QPoint(1, 1)));
        EXPECT_EQ(image.pixel(centre + QPoint(2, 2)), background.pixel(centre + QPoint(2, 2)));
    }
    const QPoint between(plot.left + 3, first.y());
    EXPECT_EQ(image.pixel(between), background.pixel(between));

    // A third point inside the plot is joined to the one outside.
    graph_->AddPoint(0, -9, 50, yellow);
    image = clientImage(*graph_);
    EXPECT_EQ(image.pixel(between), yellowOver(between));
}

TEST_F(CGraphCtrlTest, SettingAfterPointsClearsTheDisplayButKeepsThePoints) {
    const QColor yellow(255, 255, 0);
    for (int i = -5; i <= 5; ++i) {
        graph_->AddPoint(0, i, i * 10.0, yellow);
    }
    ASSERT_NE(clientImage(*graph_), clientImage(*reference_));
    graph_->SetCurveColor(QColor(0, 255, 0));
    EXPECT_EQ(clientImage(*graph_), clientImage(*reference_));
    EXPECT_EQ(graph_->PointCount(0), 11);
    EXPECT_EQ(graph_->PointAt(0, 10).x, 5.0);
}

TEST_F(CGraphCtrlTest, YEndLabelsOnlyWithTwoDecimals) {
    const PlotRect plot = graph_->PlotArea();
    const QRect labelArea(plot.left - 30, plot.top, 28, 12);
    const auto inkIn = [&](const QImage& image) {
        int ink = 0;
        for (int y = labelArea.top(); y <= labelArea.bottom(); ++y) {
            for (int x = labelArea.left(); x <= labelArea.right(); ++x) {
                ink += image.pixel(x, y) != qRgb(0, 0, 64) ? 1 : 0;
            }
        }
        return ink;
    };
    EXPECT_GT(inkIn(clientImage(*graph_)), 0);
    graph_->SetYRange(-105, 105, 1);
    EXPECT_EQ(graph_->PlotArea().left, 6 * (2 + 1 + 4));
    const PlotRect narrower = graph_->PlotArea();
    const QImage image = clientImage(*graph_);
    int ink = 0;
    for (int y = narrower.top; y < narrower.top + 12; ++y) {
        for (int x = 0; x < narrower.left - 1; ++x) {
            ink += image.pixel(x, y) != qRgb(0, 0, 64) ? 1 : 0;
        }
    }
    EXPECT_EQ(ink, 0);
}

TEST_F(CGraphCtrlTest, RefusedRangeAndSeriesLeaveEverythingAsItWas) {
    const QImage before = clientImage(*graph_);
    graph_->SetXRange(5, 5, 2);
    graph_->SetYRange(10, -10, 2);
    EXPECT_EQ(clientImage(*graph_), before);
    graph_->AddPoint(0, 0, 0, Qt::yellow);
    EXPECT_EQ(graph_->PointAt(0, 0).deviceX,
              graph_->PlotArea().left + graph_->PlotArea().width() / 2);

    graph_->AddPoint(4, 1, 1, Qt::yellow);
    graph_->AddPoint(-1, 1, 1, Qt::yellow);
    EXPECT_EQ(graph_->PointCount(4), 0);
    for (int i = 0; i < CGraphCtrl::kMaxPoints + 5; ++i) {
        graph_->AddPoint(2, 0, 0, Qt::red);
    }
    EXPECT_EQ(graph_->PointCount(2), CGraphCtrl::kMaxPoints);
}

TEST_F(CGraphCtrlTest, TooltipFollowsThePointerWithTheValuesUnderIt) {
    window_->show();
    QApplication::processEvents();
    const PlotRect plot = graph_->PlotArea();
    const QPoint client(plot.left + plot.width() / 2 * 2, plot.top + 1);
    EXPECT_EQ(graph_->TooltipText(client), "Data=105.00 Volt（V）=10.00");
    // Over a plotted point the tooltip reads that point's values.
    graph_->AddPoint(0, 0, 0, Qt::yellow);
    const CGraphCtrl::Point origin = graph_->PointAt(0, 0);
    const QPoint over(static_cast<int>(origin.deviceX), static_cast<int>(origin.deviceY) + 1);
    EXPECT_EQ(graph_->TooltipText(over), "Data=0.00 Volt（V）=0.00");

    const QPoint at = graph_->ClientOrigin() + client;
    QMouseEvent move(QEvent::MouseMove, at, graph_->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(graph_.get(), &move);
    EXPECT_TRUE(graph_->TooltipShown());
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), QString::fromUtf8("Data=105.00 Volt（V）=10.00"));

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(graph_.get(), &leave);
    EXPECT_FALSE(graph_->TooltipShown());
}

TEST_F(CGraphCtrlTest, PlotAreaLeavesRoomForTheYLabels) {
    EXPECT_EQ(kova::plotRectOf({0, 0, 293, 245}), (PlotRect{20, 10, 283, 220}));
    struct Case {
        double min;
        double max;
        int decimals;
        int left;
    };
    const Case cases[] = {
        {-105, 105, 2, 6 * (2 + 2 + 4)},  // three digits: log10 gives 2
        {-99, 99, 2, 6 * (1 + 2 + 4)},
        {0, 100, 2, 6 * (2 + 2 + 4)},      // a zero bound needs no digits of its own
        {-0.05, 0.5, 2, 6 * (1 + 2 + 4)},  // below 1 the logarithm's magnitude counts
        {-5, 5, 0, 6 * (0 + 0 + 4)},
        {-12345, 3, 1, 6 * (4 + 1 + 4)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(kova::plotLeftForLabels(0, c.min, c.max, c.decimals), c.left)
            << c.min << ".." << c.max;
    }
    EXPECT_EQ(kova::plotLeftForLabels(5, -99, 99, 2), 5 + 42);
}

TEST_F(CGraphCtrlTest, GridStepsAreTenthsOfThePlot) {
    const PlotRect plot{48, 10, 283, 220};  // 235 x 210: steps 23 and 21
    const std::vector<int> rows = kova::gridRows(plot);
    ASSERT_EQ(rows.size(), 9U);
    EXPECT_EQ(rows.front(), 199);
    EXPECT_EQ(rows.back(), 220 - 9 * 21);
    const std::vector<int> columns = kova::gridColumns(plot);
    ASSERT_EQ(columns.size(), 10U);  // 235 = 10 * 23 + 5: a tenth line fits 5 pixels short
    EXPECT_EQ(columns.front(), 71);
    EXPECT_EQ(columns.back(), 48 + 10 * 23);
    EXPECT_TRUE(kova::gridRows({0, 0, 9, 9}).empty());  // no step, no lines
    EXPECT_TRUE(kova::gridColumns({0, 0, 9, 9}).empty());
}

TEST_F(CGraphCtrlTest, TooltipValuesAndText) {
    // On a 234 x 174 plot at (42, 10) the centre column is 159 and the axis lines run 87 below
    // the top and 117 right of the left edge.
    const PlotRect plot{42, 10, 42 + 234, 10 + 174};
    EXPECT_EQ(kova::axisLinesOf(plot).y, 10 + 87);
    EXPECT_EQ(kova::axisLinesOf(plot).x, 42 + 117);
    EXPECT_DOUBLE_EQ(kova::tooltipXValue(159, plot, 10), 0.0);
    EXPECT_DOUBLE_EQ(kova::tooltipXValue(159 + 117, plot, 10), 10.0);
    EXPECT_DOUBLE_EQ(kova::tooltipYValue(11, plot, 50), 50.0);
    EXPECT_DOUBLE_EQ(kova::tooltipYValue(11 + 87, plot, 50), 0.0);
    // Odd sizes: the halves are whole pixels.
    const PlotRect odd{48, 10, 48 + 235, 10 + 175};
    EXPECT_EQ(kova::axisLinesOf(odd).x, 48 + 117);
    EXPECT_DOUBLE_EQ(kova::tooltipXValue(48, odd, 10), -10.0);
    EXPECT_DOUBLE_EQ(kova::tooltipYValue(11 + 174, odd, 50), -50.0);
    EXPECT_DOUBLE_EQ(kova::tooltipXValue(7, {0, 0, 1, 1}, 10), 0.0);  // no half, no value
    EXPECT_EQ(kova::tooltipText("Data", 12.345, "Volt（V）", -0.5), "Data=12.35 Volt（V）=-0.50");
    EXPECT_EQ(kova::axisLabel(-105.0, 2), "-105.00");
    EXPECT_EQ(kova::axisLabel(10, 0), "10");
}

}  // namespace
