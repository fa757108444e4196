// A picture surface in twips: a persistent backing image that drawing survives repaints on,
// Line/PSet/Circle/Print with a current position, Cls, colours, a readable mouse pointer
// shape, and mouse down/move/up in twips with capture after a press.
#pragma once

#include "twip_control.h"

#include <QFont>
#include <QImage>
#include <QPoint>
#include <QPointF>
#include <QSize>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class PictureBox;
class QPainter;

// Mouse handler: button set (1 left, 2 right, 4 middle), shift state, x and y in twips.
using MouseHandler = std::function<void(std::int16_t, std::int16_t, float, float)>;

namespace detail {

// The drawing widget: owns the backing image and turns Qt mouse events into twips.
class PictureWidget : public QWidget {
  public:
    explicit PictureWidget(PictureBox& owner, QWidget* parent);
    ~PictureWidget() override;

    QImage& Image();     // flushes pending drawing first
    QPainter& Painter(); // the painter on the backing image, in twip coordinates
    void Flush();
    void Clear(const QColor& colour);
    void Restore(const QImage& image);
    void DrawPolylinePoint(const QColor& colour, QPointF from, QPointF to);
    void DrawPoint(const QColor& colour, QPointF at);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void EnsureImage();
    void Rebuild(qreal dpr);
    void EndPainter();
    void FlushPending();
    void MarkDirty();

    PictureBox& owner_;
    QImage image_;
    QSize logicalSize_;
    std::unique_ptr<QPainter> painter_;
    QColor pendingColour_;
    std::vector<QPointF> polyline_; // consecutive line ends in one colour
    std::vector<QPointF> points_;   // single points in pendingColour_
    bool dirty_ = false;            // a repaint is already scheduled
};

} // namespace detail

class PictureBox : public Control {
  public:
    // A picture placed in `parent` (nullptr for a window's own surface). A bordered picture
    // has a 30-twip border on each side; its client area is smaller by 60 twips.
    PictureBox(QWidget* parent, bool bordered);
    ~PictureBox() override;

    QWidget* Client() const override;

    // Client size in twips (the default twip scale).
    double ScaleWidth() const { return width_ - 2 * Border(); }
    double ScaleHeight() const { return height_ - 2 * Border(); }
    double Border() const { return bordered_ ? kBorderTwips : 0.0; }

    Colour BackColor() const { return backColor_; }
    void SetBackColor(Colour c); // also clears the drawing, as a new background does
    Colour ForeColor() const { return foreColor_; }
    void SetForeColor(Colour c) { foreColor_ = c; }
    QFont& Font() { return font_; }

    double CurrentX = 0;
    double CurrentY = 0;

    void Cls();
    // Puts back a picture taken earlier with Image() (same size), as if it had been drawn
    // again: a live view redraws its unchanging background this way, by one copy.
    void PutImage(const QImage& image);
    void Line(double x1, double y1, double x2, double y2);
    void Line(double x1, double y1, double x2, double y2, Colour c);
    void LineTo(double x2, double y2, Colour c); // from the current position
    void PSet(double x, double y, Colour c);
    void Circle(double x, double y, double radius, Colour c);
    // Prints a text at the current position in the foreground colour; the position then moves
    // to the start of the next line.
    void Print(const std::string& text);

    MousePointer Pointer() const { return pointer_; }
    void SetPointer(MousePointer p);

    MouseHandler MouseDown, MouseMove, MouseUp;
    std::function<void(int key)> KeyDown;

    // The colour drawn at a point, for tests and the renderer's checks.
    QColor PixelAt(double x, double y);
    // The backing image (logical pixel size times the device pixel ratio).
    const QImage& Image();
    // The picture as it is on show: the backing image with the controls placed on it drawn
    // over it, the same size and pixel ratio as the backing image.
    QImage Snapshot();

    static constexpr double kBorderTwips = 30.0;

  protected:
    void ApplyGeometry() override;

  private:
    friend class detail::PictureWidget;
    // The toolkit colour of a colour value, remembered for the last value asked.
    const QColor& Resolve(Colour c);

    bool bordered_;
    detail::PictureWidget* canvas_ = nullptr;
    Colour resolvedValue_ = 0xFFFFFFFF;
    QColor resolved_;
    Colour backColor_;
    Colour foreColor_;
    QFont font_;
    MousePointer pointer_ = MousePointer::Default;
};
