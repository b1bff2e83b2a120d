#include "controls/GraphCtrl.h"

#include <QFontMetrics>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include "controls/memdc.h"

namespace {

constexpr int kTooltipOffset = 15;

// "Arial", a cell 14 pixels high, weight 300, swiss family. Where Arial is not installed the
// platform's sans-serif face stands in (DejaVu Sans on Debian).
QFont makeLabelFont() {
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setWeight(QFont::Light);
    int pixels = 14;
    font.setPixelSize(pixels);
    while (pixels > 6 && QFontMetrics(font).height() > 14) {
        font.setPixelSize(--pixels);
    }
    return font;
}

// A window of the tool-tip kind that the control moves itself: it stays while the pointer is over
// the control, where a system tool tip would expire and add an offset of its own.
QLabel* makeTip(QWidget* owner) {
    auto* tip = new QLabel(owner, Qt::ToolTip | Qt::WindowTransparentForInput);
    tip->setAttribute(Qt::WA_ShowWithoutActivating);
    tip->setPalette(QToolTip::palette());
    tip->setFont(QToolTip::font());
    tip->setForegroundRole(QPalette::ToolTipText);
    tip->setBackgroundRole(QPalette::ToolTipBase);
    tip->setAutoFillBackground(true);
    tip->setFrameStyle(QFrame::Box | QFrame::Plain);
    tip->setMargin(2);
    return tip;
}

// Text with its cell's top-left corner at (x, y).
void drawTextAt(QPainter& p, int x, int y, const std::string& text) {
    p.drawText(x, y + p.fontMetrics().ascent(), QString::fromStdString(text));
}

}  // namespace

CGraphCtrl::CGraphCtrl(QWidget* parent) : QFrame(parent), labelFont_(makeLabelFont()) {
    setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    OnSizeChanged();
}

bool CGraphCtrl::Create(const QRect& rect, QWidget* parent, int id) {
    id_ = id;
    if (parent != parentWidget()) {
        setParent(parent);
    }
    setGeometry(rect);
    OnSizeChanged();
    show();
    return true;
}

bool CGraphCtrl::StoreRange(Axis& axis, double min, double max, int decimals) {
    if (!(max > min)) {
        return false;
    }
    axis.min = min;
    axis.max = max;
    axis.range = max - min;
    axis.decimals = decimals;
    return true;
}

// The scales follow from the plot area when everything is redrawn.
void CGraphCtrl::SetXRange(double min, double max, int decimals) {
    if (StoreRange(x_, min, max, decimals)) {
        RedrawAll();
    }
}

void CGraphCtrl::SetYRange(double min, double max, int decimals) {
    if (StoreRange(y_, min, max, decimals)) {
        RedrawAll();
    }
}

void CGraphCtrl::SetXTitle(const std::string& title) {
    xTitle_ = title;
    RedrawAll();
}

void CGraphCtrl::SetYTitle(const std::string& title) {
    yTitle_ = title;
    RedrawAll();
}

void CGraphCtrl::SetAxisColor(const QColor& color) {
    axisColor_ = color;
    RedrawAll();
}

void CGraphCtrl::SetCurveColor(const QColor& color) {
    curveColor_ = color;
    RedrawAll();
}

void CGraphCtrl::SetBackColor(const QColor& color) {
    backColor_ = color;
    RedrawAll();
}

int CGraphCtrl::PointCount(int series) const {
    return series >= 0 && series < kSeriesCount ? series_[static_cast<std::size_t>(series)].count
                                                : 0;
}

CGraphCtrl::Point CGraphCtrl::PointAt(int series, int index) const {
    if (index < 0 || index >= PointCount(series)) {
        return {};
    }
    return series_[static_cast<std::size_t>(series)].points[static_cast<std::size_t>(index)];
}

void CGraphCtrl::AddPoint(int series, double x, double y, const QColor& color) {
    if (series >= 0 && series < kSeriesCount &&
        series_[static_cast<std::size_t>(series)].count < kMaxPoints) {
        Series& s = series_[static_cast<std::size_t>(series)];
        Point& point = s.points[static_cast<std::size_t>(s.count)];
        point.x = x;
        point.y = y;
        point.deviceX = kova::deviceX(x, x_.min, x_.scale, plot_.left);
        point.deviceY = kova::deviceY(y, y_.min, y_.scale, plot_.bottom);
        point.color = color;
        ++s.count;
        DrawSegment(series, s.count - 1);
    }
    update();
}

// Draws point index of a series on the plot layer, joined to the point before it.
void CGraphCtrl::DrawSegment(int series, int index) {
    const Series& s = series_[static_cast<std::size_t>(series)];
    const Point& now = s.points[static_cast<std::size_t>(index)];
    const QPoint to(static_cast<int>(now.deviceX), static_cast<int>(now.deviceY));
    QPainter p(&plotLayer_);
    p.setPen(QPen(now.color, 1));
    p.setBrush(Qt::NoBrush);
    if (index == 0) {
        // The first point of series 0 is only remembered; the others start at the corner.
        if (series != 0) {
            p.drawLine(QPoint(plot_.left, plot_.bottom), to);
        }
        return;
    }
    const Point& before = s.points[static_cast<std::size_t>(index - 1)];
    const QPoint from(static_cast<int>(before.deviceX), static_cast<int>(before.deviceY));
    if (to.x() >= plot_.left) {
        p.drawLine(from, to);
    }
    if (series == 0) {
        // 4 x 4 pixel markers: x - 2 to x + 1, as a rectangle from x - 2 to x + 2 covers.
        p.drawRect(QRect(from.x() - 2, from.y() - 2, 3, 3));
        p.drawRect(QRect(to.x() - 2, to.y() - 2, 3, 3));
    }
}

void CGraphCtrl::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    // Qt delivers the resize of a hidden widget late; a size already handled changes nothing.
    const QSize client = contentsRect().size();
    if (client.width() != client_.right || client.height() != client_.bottom) {
        OnSizeChanged();
    }
}

void CGraphCtrl::OnSizeChanged() {
    const QRect r = contentsRect();
    client_ = {0, 0, r.width(), r.height()};
    plot_ = kova::plotRectOf(client_);
    // The layers hold the screen's pixels, not the control's units, so that they stay sharp on a
    // scaled screen.
    const qreal ratio = devicePixelRatio();
    background_ = QImage(QSize(std::max(1, r.width()), std::max(1, r.height())) * ratio,
                         QImage::Format_RGB32);
    background_.setDevicePixelRatio(ratio);
    plotLayer_ = background_;
    RedrawAll();
    // The layers are new, so the stored points are plotted again at the new size.
    for (int s = 0; s < kSeriesCount; ++s) {
        Series& series = series_[static_cast<std::size_t>(s)];
        for (int i = 0; i < series.count; ++i) {
            Point& point = series.points[static_cast<std::size_t>(i)];
            point.deviceX = kova::deviceX(point.x, x_.min, x_.scale, plot_.left);
            point.deviceY = kova::deviceY(point.y, y_.min, y_.scale, plot_.bottom);
            DrawSegment(s, i);
        }
    }
}

void CGraphCtrl::ClearPoints() {
    for (Series& s : series_) {
        s.count = 0;
    }
    plotLayer_.fill(backColor_);
    update();
}

void CGraphCtrl::RedrawAll() {
    background_.fill(backColor_);
    plot_.left = kova::plotLeftForLabels(client_.left, y_.min, y_.max, y_.decimals);
    // The scales follow the plot area, so that points stay inside the frame.
    x_.scale = kova::axisScale(plot_.width(), x_.range);
    y_.scale = kova::axisScale(plot_.height(), y_.range);
    DrawBackground();
    plotLayer_.fill(backColor_);
    update();
}

void CGraphCtrl::DrawBackground() {
    QPainter p(&background_);
    const kova::PlotRect& r = plot_;
    p.setPen(QPen(axisColor_, 1));
    const QPoint corners[] = {{r.left, r.top},
                              {r.right, r.top},
                              {r.right, r.bottom},
                              {r.left, r.bottom},
                              {r.left, r.top}};
    p.drawPolyline(corners, 5);
    if (const auto row = kova::zeroRow(y_.min, y_.max, y_.scale, r.bottom)) {
        p.drawLine(r.left, *row, r.right, *row);
    }
    if (const auto column = kova::zeroColumn(x_.min, x_.max, x_.scale, r.left)) {
        p.drawLine(*column, r.top, *column, r.bottom);
    }

    p.setPen(QPen(QColor(120, 120, 120), 1));
    for (const int y : kova::gridRows(r)) {
        p.drawLine(r.left, y, r.right, y);
    }
    for (const int x : kova::gridColumns(r)) {
        p.drawLine(x, r.top, x, r.bottom);
    }

    p.setFont(labelFont_);
    p.setPen(axisColor_);
    if (y_.decimals == 2) {
        // Each Y label ends just left of the frame (30 pixels hold a two-digit label); a longer
        // one grows to the left instead of into the plot.
        const auto drawYLabel = [&](int top, double value) {
            const std::string text = kova::axisLabel(value, y_.decimals);
            const int width = p.fontMetrics().horizontalAdvance(QString::fromStdString(text));
            drawTextAt(p, std::max(client_.left, std::min(r.left - 30, r.left - 2 - width)), top,
                       text);
        };
        drawYLabel(r.top, y_.max);
        drawYLabel(r.bottom - 10, y_.min);
    }
    drawTextAt(p, r.left, r.bottom + 4, kova::axisLabel(x_.min, x_.decimals));
    drawTextAt(p, r.right - 25, r.bottom + 4, kova::axisLabel(x_.max, x_.decimals));
    drawTextAt(p, (r.left + r.right) / 2 - 30, r.bottom + 12, xTitle_);

    // The Y title reads upwards from its point, its cell to the right of it.
    p.save();
    p.translate(QPoint((client_.left + r.left) / 2 - 20, (r.top + r.bottom) / 2 + 38));
    p.rotate(-90);
    drawTextAt(p, 0, 0, yTitle_);
    p.restore();
}

void CGraphCtrl::paintEvent(QPaintEvent* /*event*/) {
    if (background_.devicePixelRatio() != devicePixelRatio()) {
        OnSizeChanged();  // moved to a screen of another scale
    }
    QPainter screen(this);
    {
        CMemDC mem(screen, contentsRect());
        QPainter& p = mem.painter();
        p.drawImage(contentsRect().topLeft(), background_);
        p.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
        p.drawImage(contentsRect().topLeft(), plotLayer_);
    }
    drawFrame(&screen);
}

std::string CGraphCtrl::TooltipText(const QPoint& client) const {
    return kova::tooltipText(yTitle_, kova::valueAtDeviceY(client.y(), plot_, y_.min, y_.range),
                             xTitle_, kova::valueAtDeviceX(client.x(), plot_, x_.min, x_.range));
}

void CGraphCtrl::mouseMoveEvent(QMouseEvent* event) {
    QFrame::mouseMoveEvent(event);
    const QPoint pos = event->position().toPoint();
    if (tip_ == nullptr) {
        tip_ = makeTip(this);
    }
    tip_->setText(QString::fromStdString(TooltipText(pos - ClientOrigin())));
    tip_->adjustSize();
    tip_->move(mapToGlobal(pos) + QPoint(kTooltipOffset, kTooltipOffset));
    tip_->show();
    tooltipShown_ = true;
}

void CGraphCtrl::leaveEvent(QEvent* event) {
    QFrame::leaveEvent(event);
    HideTooltip();
}

void CGraphCtrl::hideEvent(QHideEvent* event) {
    QFrame::hideEvent(event);
    // A control hidden under the pointer gets no leave event, and its tip is a window of its own
    // that hiding the control leaves on the screen.
    HideTooltip();
}

void CGraphCtrl::HideTooltip() {
    if (tooltipShown_) {
        tip_->hide();
        tooltipShown_ = false;
    }
}
