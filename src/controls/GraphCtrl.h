#pragma once
// CGraphCtrl: up to four point series plotted in a framed X-Y area with a 10 x 10 grid, end
// labels on both axes, axis lines through 0, axis titles and a tooltip that follows the pointer
// with the value pair under it.
//
// Two layers the size of the client area: the background (fill, frame, grid, labels, titles),
// redrawn after every setting, and the plot (the series), cleared then. A paint combines them
// with a bitwise OR of the pixels.

#include <QColor>
#include <QFrame>
#include <QImage>
#include <array>
#include <string>

#include "controls/logic/GraphGeometry.h"

class QLabel;

class CGraphCtrl : public QFrame {
    Q_OBJECT

  public:
    static constexpr int kSeriesCount = 4;
    static constexpr int kMaxPoints = 260;

    struct Point {
        double x = 0;  // axis units
        double y = 0;
        double deviceX = 0;  // client pixels when the point was added
        double deviceY = 0;
        QColor color;  // the colour it was drawn in
    };

    explicit CGraphCtrl(QWidget* parent = nullptr);

    // Places the control over rect of parent, shows it and draws the layers.
    bool Create(const QRect& rect, QWidget* parent, int id = 0);

    // A range whose maximum does not exceed its minimum is refused and changes nothing.
    void SetXRange(double min, double max, int decimals);
    void SetYRange(double min, double max, int decimals);
    void SetXTitle(const std::string& title);
    void SetYTitle(const std::string& title);
    void SetAxisColor(const QColor& color);
    void SetCurveColor(const QColor& color);
    void SetBackColor(const QColor& color);

    // Appends the point to series 0-3 and draws its segment in color; any other series, or a
    // series already holding kMaxPoints points, stores nothing and only repaints.
    void AddPoint(int series, double x, double y, const QColor& color);

    // Forgets the points of every series and clears the plot.
    void ClearPoints();

    int PointCount(int series) const;
    Point PointAt(int series, int index) const;
    kova::PlotRect PlotArea() const { return plot_; }
    // The client area's top-left corner in widget coordinates (inside the sunken edge).
    QPoint ClientOrigin() const { return contentsRect().topLeft(); }
    // The tooltip's text for a pointer position in client coordinates.
    std::string TooltipText(const QPoint& client) const;
    bool TooltipShown() const { return tooltipShown_; }
    // The tool tip's window, once the pointer has moved over the control.
    const QLabel* Tooltip() const { return tip_; }
    int Id() const { return id_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    struct Axis {
        double min = 0;
        double max = 100;
        double range = 100;
        double scale = 0;
        int decimals = 2;
    };
    struct Series {
        int count = 0;
        std::array<Point, kMaxPoints> points{};
    };

    static bool StoreRange(Axis& axis, double min, double max, int decimals);
    void OnSizeChanged();
    void RedrawAll();
    void DrawBackground();
    void DrawSegment(int series, int index);
    void HideTooltip();

    std::array<Series, kSeriesCount> series_{};
    Axis x_;
    Axis y_;
    std::string xTitle_;
    std::string yTitle_;
    QColor backColor_{0, 0, 0};
    QColor axisColor_{0, 255, 255};
    QColor curveColor_{255, 255, 255};
    kova::PlotRect client_;
    kova::PlotRect plot_;
    QImage background_;
    QImage plotLayer_;
    QFont labelFont_;
    QLabel* tip_ = nullptr;  // a child of the control, a window of its own
    bool tooltipShown_ = false;
    int id_ = 0;
};
