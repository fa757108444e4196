// MDIForm1: the Instrument menu. "Piano" switches the keyboard to the piano note file; every
// other instrument writes its General MIDI program number into the instrument note file and
// switches the keyboard to that file.
#include "main_window.h"

#include "notes/note_player.h"

#include <QAction>

namespace {

// Zero-based General MIDI program numbers of the menu's instruments.
constexpr std::int16_t kVoice = 52;      // Choir Aahs
constexpr std::int16_t kOrgan = 19;      // Church Organ
constexpr std::int16_t kCelesta = 8;     // Celesta
constexpr std::int16_t kViolin = 40;     // Violin
constexpr std::int16_t kCello = 42;      // Cello
constexpr std::int16_t kBass = 32;       // Acoustic Bass
constexpr std::int16_t kClarinet = 71;   // Clarinet
constexpr std::int16_t kBassoon = 70;    // Bassoon
constexpr std::int16_t kFlute = 73;      // Flute
constexpr std::int16_t kOboe = 68;       // Oboe
constexpr std::int16_t kTrumpet = 56;    // Trumpet
constexpr std::int16_t kTrombone = 57;   // Trombone
constexpr std::int16_t kFrenchHorn = 60; // French Horn
constexpr std::int16_t kSax = 65;        // Alto Sax

} // namespace

void MDIForm1::WireInstrumentMenu() {
    const std::pair<const char*, void (MDIForm1::*)()> handlers[] = {
        {"mnuPiano", &MDIForm1::mnuPiano_Click},
        {"mnuVoice", &MDIForm1::mnuVoice_Click},
        {"mnuOrgan", &MDIForm1::mnuOrgan_Click},
        {"mnuCelesta", &MDIForm1::mnuCelesta_Click},
        {"mnuViolin", &MDIForm1::mnuViolin_Click},
        {"mnuCello", &MDIForm1::mnuCello_Click},
        {"mnuBass", &MDIForm1::mnuBass_Click},
        {"mnuClarinet", &MDIForm1::mnuClarinet_Click},
        {"mnuBassoon", &MDIForm1::mnuBassoon_Click},
        {"mnuFlute", &MDIForm1::mnuFlute_Click},
        {"mnuOboe", &MDIForm1::mnuOboe_Click},
        {"mnuTrumpet", &MDIForm1::mnuTrumpet_Click},
        {"mnuTrombone", &MDIForm1::mnuTrombone_Click},
        {"mnuFrenchHorn", &MDIForm1::mnuFrenchHorn_Click},
        {"mnuSax", &MDIForm1::mnuSax_Click},
    };
    for (const auto& [name, handler] : handlers) {
        OnMenu(name, [this, handler] { (this->*handler)(); });
    }
}

void MDIForm1::TrocInstr(std::int16_t InstCode) {
    notes_.UseInstrument(InstCode);
}

void MDIForm1::mnuPiano_Click() {
    notes_.UsePiano();
}

void MDIForm1::mnuVoice_Click() {
    TrocInstr(kVoice);
}
void MDIForm1::mnuOrgan_Click() {
    TrocInstr(kOrgan);
}
void MDIForm1::mnuCelesta_Click() {
    TrocInstr(kCelesta);
}
void MDIForm1::mnuViolin_Click() {
    TrocInstr(kViolin);
}
void MDIForm1::mnuCello_Click() {
    TrocInstr(kCello);
}
void MDIForm1::mnuBass_Click() {
    TrocInstr(kBass);
}
void MDIForm1::mnuClarinet_Click() {
    TrocInstr(kClarinet);
}
void MDIForm1::mnuBassoon_Click() {
    TrocInstr(kBassoon);
}
void MDIForm1::mnuFlute_Click() {
    TrocInstr(kFlute);
}
void MDIForm1::mnuOboe_Click() {
    TrocInstr(kOboe);
}
void MDIForm1::mnuTrumpet_Click() {
    TrocInstr(kTrumpet);
}
void MDIForm1::mnuTrombone_Click() {
    TrocInstr(kTrombone);
}
void MDIForm1::mnuFrenchHorn_Click() {
    TrocInstr(kFrenchHorn);
}
void MDIForm1::mnuSax_Click() {
    TrocInstr(kSax);
}
