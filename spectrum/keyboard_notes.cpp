// Form101: the note players and the keyboard's press and release. A key press writes the
// named key number into the note file of the player in use and plays that file; releasing the
// button stops it.
#include "spectrum_view.h"

#include "keyboard.h"
#include "platform/file_channel.h"
#include "platform/services.h"
#include "shell/note_files.h"
#include "shell/note_state.h"

namespace {

// The note player the keyboard uses, or null before the players are opened.
MMControl* PlayerInUse() {
    NoteState& n = Notes();
    if (n.NoteMMCIndex < 1 || n.NoteMMCIndex > 2) {
        return nullptr;
    }
    return n.NoteMMC[static_cast<std::size_t>(n.NoteMMCIndex)];
}

// Writes the key number at both key positions of a note file through file channel 1.
// False when the file cannot be opened or written; the channel is closed either way.
bool WriteKey(const std::string& file, std::int16_t on, std::int16_t off, std::uint8_t key) {
    FileChannel& ch = Channel1();
    try {
        ch.Open(file, FileChannel::Mode::BinaryReadWrite);
        ch.WriteByte(on, key);
        ch.WriteByte(off, key);
        ch.Close();
        return true;
    } catch (const FileError&) {
        ch.Close();
        return false;
    }
}

} // namespace

void Form101::OpenNotePlayers() {
    NoteState& n = Notes();
    n.NoteMMC[1] = &MMControl1;
    n.NoteMMC[2] = &MMControl2;
    for (MMControl* player : {&MMControl1, &MMControl2}) {
        player->SetWait(true);
        player->SetDeviceType("Sequencer");
    }
    const std::string folder = AppPath();
    MMControl1.SetFileName(folder + kPianoNoteFile);
    MMControl2.SetFileName(folder + kInstrumentNoteFile);
    n.NoteMMCIndex = 1;
    MMControl1.SetCommand("Open");
    MMControl2.SetCommand("Open");
    // Completion notifications on: player 1 closes itself when its note ends.
    MMControl1.SetNotify(true);
    MMControl2.SetNotify(true);
}

void Form101::CloseNotePlayers() {
    MMControl1.SetCommand("Close");
    MMControl2.SetCommand("Close");
}

void Form101::ForgetNotePlayers() {
    NoteState& n = Notes();
    for (MMControl*& player : n.NoteMMC) {
        if (player == &MMControl1 || player == &MMControl2) {
            player = nullptr;
        }
    }
}

void Form101::MMControl1_Done() {
    MMControl1.SetCommand("Close");
}

void Form101::Image1_MouseDown(std::int16_t Button, std::int16_t Shift, float, float Y) {
    if (Button == kRightButton && Y > kKeyboardPlayableHeight) {
        Platform().messages->Show(
            JoinLines({"To play a white key on this keyboard",
                       "you must position the mouse a little higher", "(between black keys)."}),
            "Play a white key", MsgIcon::Information);
        return;
    }
    if (Button == kLeftButton) {
        Platform().messages->Show(
            JoinLines({"Use the RIGHT mouse button", "to play this keyboard!"}),
            "Playing the keyboard", MsgIcon::Information);
        return;
    }
    if (MMControl* player = PlayerInUse()) {
        const NoteState& n = Notes();
        NoteFile = player->FileName();
        player->SetCommand("Close");
        // A note file that cannot be written is not played: it would sound another key.
        if (WriteKey(NoteFile, n.NotePosOn, n.NotePosOff, n.NoteCode)) {
            player->SetCommand("Open");
            player->SetCommand("Play");
        }
    }
    // The cursor moves onto the centre of the key and names its exact frequency.
    harmDrag_ = false;
    Picture2_MouseMove(kRightButton, Shift, keyX_, Y);
}

void Form101::Image1_MouseUp(std::int16_t, std::int16_t, float, float) {
    if (MMControl* player = PlayerInUse()) {
        player->SetCommand("Stop");
    }
}
