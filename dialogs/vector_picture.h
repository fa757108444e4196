// A picture control that draws a vector picture stretched to its size, crisp at any screen
// scale, and the program's own pictures (splash artwork, icon) built into the program.
#pragma once

#include "ui/twip_control.h"

#include <QIcon>
#include <QImage>
#include <QSize>
#include <QString>

class QSvgRenderer;

// Resource paths of the program's pictures (made by tools/, committed under assets/).
inline const QString kSplashArtwork = QStringLiteral(":/artwork/splash_art.svg");
inline const QString kProgramIconPicture = QStringLiteral(":/artwork/tonvexa_icon.svg");

// A picture placed in its parent at twip positions. Mouse presses on it stop there: they
// reach neither its container nor the window.
class VectorPicture : public Control {
  public:
    VectorPicture(QWidget* parent, const QString& picture);
    ~VectorPicture() override;

    // Whether the picture was found and parsed.
    bool Loaded() const;
    // The picture drawn at `pixels`, on a transparent ground.
    QImage Render(QSize pixels) const;

  private:
    std::unique_ptr<QSvgRenderer> renderer_;
};

// The program's icon, drawn at the usual icon sizes.
QIcon ProgramIcon();
