#include "vector_picture.h"

#include <QMouseEvent>
#include <QPainter>
#include <QSvgRenderer>
#include <QWidget>

namespace {

class PictureWidget : public QWidget {
  public:
    PictureWidget(QWidget* parent, QSvgRenderer& renderer) : QWidget(parent), renderer_(renderer) {
        // A click on the picture belongs to the picture alone.
        setAttribute(Qt::WA_NoMousePropagation);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing, true);
        renderer_.render(&p, QRectF(rect()));
    }
    void mousePressEvent(QMouseEvent* e) override { e->accept(); }
    void mouseReleaseEvent(QMouseEvent* e) override { e->accept(); }
    void mouseDoubleClickEvent(QMouseEvent* e) override { e->accept(); }

  private:
    QSvgRenderer& renderer_;
};

} // namespace

VectorPicture::VectorPicture(QWidget* parent, const QString& picture)
    : Control(nullptr), renderer_(std::make_unique<QSvgRenderer>(picture)) {
    renderer_->setAspectRatioMode(Qt::IgnoreAspectRatio);
    widget_ = new PictureWidget(parent, *renderer_);
}

VectorPicture::~VectorPicture() {
    // The widget draws with the renderer: it goes first.
    delete widget_.data();
}

bool VectorPicture::Loaded() const {
    return renderer_->isValid();
}

QImage VectorPicture::Render(QSize pixels) const {
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    renderer_->render(&p, QRectF(image.rect()));
    return image;
}

QIcon ProgramIcon() {
    QSvgRenderer renderer(kProgramIconPicture);
    QIcon icon;
    for (const int side : {16, 22, 24, 32, 48, 64, 128, 256}) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing, true);
        renderer.render(&p, QRectF(0, 0, side, side));
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}
