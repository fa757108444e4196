#include "colours.h"

#include <QGuiApplication>
#include <QPalette>

QColor ToQColor(Colour c) {
    if ((c & 0x80000000u) == 0) {
        return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                      static_cast<int>((c >> 16) & 0xFF));
    }
    const QPalette pal = QGuiApplication::palette();
    switch (c) {
    case kSysDesktop:
        return QColor(0, 128, 128); // the classic teal desktop
    case kSysAppWorkspace:
        return pal.color(QPalette::Dark);
    case kSysWindowBackground:
        return pal.color(QPalette::Base);
    case kSysWindowText:
        return pal.color(QPalette::Text);
    case kSysCaptionText:
    case kSysHighlightText:
        return pal.color(QPalette::HighlightedText);
    case kSysHighlight:
        return pal.color(QPalette::Highlight);
    case kSysButtonFace:
        return pal.color(QPalette::Button);
    case kSysButtonText:
        return pal.color(QPalette::ButtonText);
    default:
        return pal.color(QPalette::Text);
    }
}
