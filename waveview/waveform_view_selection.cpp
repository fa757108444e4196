// Form103: selecting a stretch of the graph with the mouse, and dragging the edges of the
// selection. Selecting never redraws the waveform: it moves and resizes the selection
// windows (Picture3 over the left graph, Picture6 over the right one) and their inverse
// copies (Picture4, Picture7), kept at left = -(window's left) so that what shows through a
// window is exactly the highlighted stretch of the graph under it.
#include "selection_rules.h"
#include "waveform_view.h"

#include "base/numbers.h"

namespace {

// Shows a pointer shape on a surface, touching the toolkit only when it changes.
void ShowPointer(PictureBox& p, MousePointer shape) {
    if (p.Pointer() != shape) {
        p.SetPointer(shape);
    }
}

bool ShowsResizeArrow(const PictureBox& p) {
    return p.Pointer() == MousePointer::SizeWE;
}

bool ShowsDefaultArrow(const PictureBox& p) {
    return p.Pointer() == MousePointer::Default;
}

// A platform mouse event for a handler.
template <typename Handler> MouseHandler Send(Form103& form, Handler handler) {
    return [&form, handler](std::int16_t button, std::int16_t shift, float x, float y) {
        (form.*handler)(button, shift, x, y);
    };
}

} // namespace

void Form103::WireSelection() {
    Picture2.MouseDown = Send(*this, &Form103::Picture2_MouseDown);
    Picture2.MouseMove = Send(*this, &Form103::Picture2_MouseMove);
    Picture2.MouseUp = Send(*this, &Form103::Picture2_MouseUp);
    Picture4.MouseDown = Send(*this, &Form103::Picture4_MouseDown);
    Picture4.MouseMove = Send(*this, &Form103::Picture4_MouseMove);
    Picture4.MouseUp = Send(*this, &Form103::Picture4_MouseUp);
    Picture5.MouseDown = Send(*this, &Form103::Picture5_MouseDown);
    Picture5.MouseMove = Send(*this, &Form103::Picture5_MouseMove);
}

double Form103::GraphWidth() const {
    return Picture2.ScaleWidth();
}

ViewStretch Form103::CurrentStretch() {
    ViewStretch v;
    v.iniMs = WholeNumber(ViewIniMs());
    v.secs = num::ParseNumber(ViewSecs().Caption());
    v.points = WholeNumber(ViewPoints());
    v.iniPoint = WholeNumber(ViewIniPoint());
    return v;
}

// ---- Shared steps ----

void Form103::StartSelectionAt(float X) {
    Picture3.Move(X, Picture3.Top(), 0, Picture3.Height());
    Picture3.SetVisible(true);
    Picture4.SetLeft(-X);
    Picture6.Move(X, Picture6.Top(), 0, Picture6.Height());
    Picture6.SetVisible(true);
    Picture7.SetLeft(-X);

    const ViewStretch v = CurrentStretch();
    const double w = GraphWidth();
    SelIniMs = MsAtX(v, X, w);
    SelEndMs = StretchEndMs(v);
    Label16[1].SetCaption(SecondsText(SelIniMs));
    Label16[2].SetCaption(SecondsText(SelEndMs));
    Label16[3].SetCaption(SecondsText(SelEndMs - SelIniMs));

    const std::int32_t first = PointAtX(v, X, w);
    const std::int32_t last = StretchLastPoint(v);
    Label16[4].SetCaption(num::IntText(first));
    Label16[5].SetCaption(num::IntText(last));
    Label16[6].SetCaption(num::IntText(static_cast<std::int64_t>(last) - first + 1));
    PonTransf();
}

void Form103::SetEndAt(float X) {
    const ViewStretch v = CurrentStretch();
    const double w = GraphWidth();
    SelEndMs = MsAtX(v, X, w);
    Label16[2].SetCaption(SecondsText(SelEndMs));
    Label16[3].SetCaption(SecondsText(SelEndMs - SelIniMs));

    const std::int32_t last = PointAtX(v, X, w);
    Label16[5].SetCaption(num::IntText(last));
    Label16[6].SetCaption(
        num::IntText(static_cast<std::int64_t>(last) - WholeNumber(SelIniPoint()) + 1));
    PonTransf();
}

void Form103::SetStartFromWindow() {
    const double s = Picture3.Left();
    const ViewStretch v = CurrentStretch();
    const double w = GraphWidth();
    SelIniMs = MsAtX(v, s, w);
    Label16[1].SetCaption(SecondsText(SelIniMs));
    Label16[3].SetCaption(SecondsText(SelEndMs - SelIniMs));

    const std::int32_t first = PointAtX(v, s, w);
    Label16[4].SetCaption(num::IntText(first));
    Label16[6].SetCaption(
        num::IntText(static_cast<std::int64_t>(WholeNumber(SelEndPoint())) - first + 1));
    PonTransf();
}

// The right edge of both windows at x; their lefts are mirrored, so the widths agree.
void Form103::SetSelectionWidth(float X) {
    Picture3.SetWidth(X - Picture3.Left());
    Picture6.SetWidth(X - Picture6.Left());
}

void Form103::GrabLeftEdge() {
    DragLeftEdge = true;
    DragWidth0 = num::CLng(Picture3.Width());
    DragLeft0 = num::CLng(Picture3.Left());
}

void Form103::EdgeDragStep(float X) {
    if (X == LastMouseX) {
        Picture4.SetVisible(true);
        Picture7.SetVisible(true);
        return;
    }
    if (DragLeftEdge) {
        if (X < 0) {
            return;
        }
        MovEsquerdo(X);
        LastMouseX = LastMouseXFor(X);
        SetStartFromWindow();
        return;
    }
    if (DragRightEdge && grab::RightEdgeClear(Picture3.Left(), X) && X <= GraphWidth()) {
        SetSelectionWidth(X);
        SetEndAt(X);
    }
}

void Form103::MovEsquerdo(const float& X) {
    const double right = static_cast<double>(DragLeft0) + DragWidth0;
    if (!grab::LeftEdgeClear(right, X)) {
        return;
    }
    // The copies are hidden while they move so that no half-moved placement is seen.
    Picture4.SetVisible(false);
    Picture7.SetVisible(false);
    Picture3.SetLeft(X);
    Picture6.SetLeft(X);
    Picture4.SetLeft(-X);
    Picture7.SetLeft(-X);
    Picture3.SetWidth(right - X);
    Picture6.SetWidth(right - X);
    Picture4.SetVisible(true);
    Picture7.SetVisible(true);
}

// ---- The left (or only) graph ----

void Form103::Picture2_MouseDown(std::int16_t Button, std::int16_t, float X, float) {
    if (!FileLoaded || !PlayIdle) {
        return;
    }
    if (ShowsResizeArrow(Picture2)) {
        const double left = Picture3.Left();
        const double width = Picture3.Width();
        if (width < grab::kMinPressWidth) {
            return;
        }
        if (grab::OutsideLeft(left, X)) {
            ShowPointer(Picture2, MousePointer::SizeWE);
            GrabLeftEdge();
        }
        if (grab::OutsideRightPress(left, width, X)) {
            ShowPointer(Picture2, MousePointer::SizeWE);
            DragRightEdge = true;
        }
    }
    if (Button == kLeftButton && ShowsDefaultArrow(Picture2)) {
        StartSelectionAt(X);
    }
}

void Form103::Picture2_MouseMove(std::int16_t Button, std::int16_t, float X, float) {
    if (!Picture3.Visible() || !PlayIdle) {
        return;
    }
    const double left = Picture3.Left();
    const double width = Picture3.Width();
    if (Button == 0) {
        const bool overEdge =
            width > grab::kOutsideZone &&
            (grab::OutsideLeft(left, X) || grab::OutsideRightHover(left, width, X));
        ShowPointer(Picture2, overEdge ? MousePointer::SizeWE : MousePointer::Default);
        return;
    }
    if (Button == kLeftButton && ShowsDefaultArrow(Picture2)) {
        // A plain drag sets the end; to the left of the start or past the graph it waits.
        ShowPointer(Picture2, MousePointer::Default);
        ShowPointer(Picture4, MousePointer::Default);
        if (left < X && X <= GraphWidth()) {
            SetSelectionWidth(X);
            SetEndAt(X);
        }
        return;
    }
    if (ShowsResizeArrow(Picture2)) {
        EdgeDragStep(X);
    }
}

void Form103::Picture2_MouseUp(std::int16_t, std::int16_t, float, float) {
    ShowPointer(Picture2, MousePointer::Default);
    DragLeftEdge = false;
    DragRightEdge = false;
}

// ---- The inverse copy of the left graph: presses and drags inside the selection ----

void Form103::Picture4_MouseDown(std::int16_t Button, std::int16_t, float X, float) {
    if (!PlayIdle) {
        return;
    }
    if (ShowsResizeArrow(Picture4)) {
        const double left = Picture3.Left();
        const double width = Picture3.Width();
        if (width < grab::kInsideRight) {
            // A narrow selection: the left third grabs the left edge, the rest the right.
            ShowPointer(Picture4, MousePointer::SizeWE);
            if (grab::InLeftThird(left, width, X)) {
                GrabLeftEdge();
            } else {
                DragRightEdge = true;
            }
        } else if (grab::InsideLeft(left, X)) {
            ShowPointer(Picture4, MousePointer::SizeWE);
            GrabLeftEdge();
        } else if (grab::InsideRight(left, width, X)) {
            ShowPointer(Picture4, MousePointer::SizeWE);
            DragRightEdge = true;
        }
    }
    if (Button == kLeftButton && ShowsDefaultArrow(Picture4)) {
        StartSelectionAt(X);
    }
}

void Form103::Picture4_MouseMove(std::int16_t Button, std::int16_t, float X, float) {
    if (!PlayIdle) {
        return;
    }
    if (Button == 0) {
        const double left = Picture3.Left();
        const double width = Picture3.Width();
        const bool overEdge = width > grab::kOutsideZone &&
                              (width < grab::kInsideRight || grab::InsideLeft(left, X) ||
                               grab::InsideRight(left, width, X));
        if (overEdge) {
            ShowPointer(Picture4, MousePointer::SizeWE);
        } else {
            ShowPointer(Picture4, MousePointer::Default);
            ShowPointer(Picture2, MousePointer::Default);
        }
    }
    if (ShowsResizeArrow(Picture4)) {
        EdgeDragStep(X);
    }
}

void Form103::Picture4_MouseUp(std::int16_t, std::int16_t, float, float) {
    ShowPointer(Picture4, MousePointer::Default);
    DragLeftEdge = false;
    DragRightEdge = false;
}

// ---- The right graph: plain selections only ----

void Form103::Picture5_MouseDown(std::int16_t Button, std::int16_t, float X, float) {
    if (FileLoaded && PlayIdle && Button == kLeftButton) {
        StartSelectionAt(X);
    }
}

void Form103::Picture5_MouseMove(std::int16_t Button, std::int16_t, float X, float) {
    if (Picture3.Visible() && PlayIdle && Button == kLeftButton && Picture3.Left() < X &&
        X <= GraphWidth()) {
        SetSelectionWidth(X);
        SetEndAt(X);
    }
}
