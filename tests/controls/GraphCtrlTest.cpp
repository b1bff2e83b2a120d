#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QTest>
#include <QToolTip>
#include <memory>
#include <string>

#include "controls/GraphCtrl.h"
#include "controls/logic/GraphGeometry.h"

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
    graph_->SetXRange(0, 100, 2);  // ranges not symmetric about 0
    graph_->SetYRange(-20, 60, 2);
    const PlotRect plot = graph_->PlotArea();
    const auto moveTo = [&](QPoint client) {
        const QPoint at = graph_->ClientOrigin() + client;
        QMouseEvent move(QEvent::MouseMove, at, graph_->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(graph_.get(), &move);
        return graph_->mapToGlobal(at);
    };
    struct Case {
        QPoint client;
        const char* text;
    };
    const Case cases[] = {
        {{plot.left, plot.bottom}, "Data=-20.00 Volt（V）=0.00"},
        {{plot.right, plot.top}, "Data=60.00 Volt（V）=100.00"},
    };
    for (const Case& c : cases) {
        const QPoint global = moveTo(c.client);
        ASSERT_NE(graph_->Tooltip(), nullptr);
        EXPECT_TRUE(graph_->Tooltip()->isVisible());
        EXPECT_EQ(graph_->Tooltip()->text(), QString::fromUtf8(c.text));
        EXPECT_EQ(graph_->Tooltip()->pos(), global + QPoint(15, 15));
    }
    EXPECT_FALSE(QToolTip::isVisible());  // no system tip that expires and sits elsewhere

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(graph_.get(), &leave);
    EXPECT_FALSE(graph_->TooltipShown());
    EXPECT_FALSE(graph_->Tooltip()->isVisible());
    // Closed under the pointer: no leave event, and the tip goes all the same.
    moveTo({plot.left, plot.top});
    window_->hide();
    EXPECT_FALSE(graph_->Tooltip()->isVisible());
}

}  // namespace
