// MDIForm1: the FTGraph menu. The menu items hold the choice themselves: the spectrum view
// reads the "Line" check mark and its own ColLine whenever it draws; these handlers set the
// two and have the spectrum redrawn.
#include "main_window.h"

#include "base/numbers.h"
#include "spectrum/spectrum_view.h"
#include "ui/services.h"

#include <QAction>

#include <array>

void MDIForm1::WireGraphStyleMenu() {
    using Handler = void (MDIForm1::*)();
    const std::array<std::pair<const char*, Handler>, 6> handlers = {{
        {"mnuLine", &MDIForm1::mnuLine_Click},
        {"mnuPoints", &MDIForm1::mnuPoints_Click},
        {"mnuBlue", &MDIForm1::mnuBlue_Click},
        {"mnuYellow", &MDIForm1::mnuYellow_Click},
        {"mnuPink", &MDIForm1::mnuPink_Click},
        {"mnuGreen", &MDIForm1::mnuGreen_Click},
    }};
    for (const auto& [name, handler] : handlers) {
        OnMenu(name, [this, handler = handler] { (this->*handler)(); });
    }
}

void MDIForm1::ChooseStyle(const std::string& checked, const std::string& unchecked) {
    Item(checked)->setChecked(true);
    Item(unchecked)->setChecked(false);
    services_.screen->Set(MousePointer::Hourglass);
    Form101& spectrum = *spectrum_;
    spectrum.Grafmesmo(spectrum.NPontGraf, false);
    services_.screen->Set(MousePointer::Default);
}

void MDIForm1::ChooseColour(const std::string& item, const Label& holder) {
    for (const char* colour : {"mnuBlue", "mnuYellow", "mnuPink", "mnuGreen"}) {
        Item(colour)->setChecked(colour == item);
    }
    spectrum_->ColLine = num::IntText(holder.BackColor());
    mnuLine_Click();
}

void MDIForm1::mnuLine_Click() {
    ChooseStyle("mnuLine", "mnuPoints");
}

void MDIForm1::mnuPoints_Click() {
    ChooseStyle("mnuPoints", "mnuLine");
}

void MDIForm1::mnuBlue_Click() {
    ChooseColour("mnuBlue", spectrum_->Label14);
}

void MDIForm1::mnuYellow_Click() {
    ChooseColour("mnuYellow", spectrum_->Label15);
}

void MDIForm1::mnuPink_Click() {
    ChooseColour("mnuPink", spectrum_->Label13);
}

void MDIForm1::mnuGreen_Click() {
    ChooseColour("mnuGreen", spectrum_->Label16);
}
