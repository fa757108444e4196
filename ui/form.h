// Base of the program's windows: a surface of its own (Print, Cls, CurrentX/Y) that holds
// the controls, a caption, a window-wide mouse pointer and twip placement.
#pragma once

#include "event_dispatch.h"
#include "picture_box.h"

#include <string>

class Form : public RestingWindow {
  public:
    Form();
    ~Form() override;
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    // The window's own surface; controls are placed in Surface().Client().
    PictureBox& Surface() { return surface_; }
    QWidget* Widget() const { return surface_.Client(); }
    // The outermost widget: the MDI sub-window when the form is a child window.
    QWidget* Outer() const;

    std::string Caption() const { return caption_; }
    void SetCaption(const std::string& text);

    MousePointer Pointer() const { return pointer_; }
    void SetPointer(MousePointer p);

    // Outer placement in twips, relative to the frame's client area for a child window.
    void Move(double left, double top, double width, double height);
    double Left() const { return left_; }
    double Top() const { return top_; }
    double Width() const { return width_; }
    double Height() const { return height_; }

    void Show();
    void Hide();
    void SetFocus();

    // A handler of this window's events failed (see Dispatch): back to rest. The base puts
    // the window's pointer back; a window with more to undo adds to it.
    void HandlerFailed() override;

  private:
    PictureBox surface_;
    std::string caption_;
    MousePointer pointer_ = MousePointer::Default;
    double left_ = 0, top_ = 0, width_ = 0, height_ = 0;
};
