#include "program.h"

#include "audio/audio_engine.h"
#include "dialogs/about_box.h"
#include "dialogs/splash_screen.h"
#include "dialogs/vector_picture.h"
#include "ui/registry.h"
#include "ui/services.h"
#include "ui/sysinfo.h"

#include <QApplication>
#include <QStandardPaths>

#include <optional>

Program::Program(Services& services, AudioEngine& engine, const ProgramFolders& folders)
    : services_(services), notes_(engine, folders.data, folders.user),
      frame_(services, notes_, folders.data), spectrum_(services, frame_, notes_, frame_),
      analysis_(spectrum_), wave_(services, channel1_, frame_, analysis_, engine),
      live_(frame_, wave_, spectrum_, strip_, engine, channel1_, services) {
    frame_.ShowAbout = [this] { About().Show(); };
    notes_.SetNotice([this](const std::string& text) { frame_.ShowStatus(text); });
    frame_.AttachChildren(wave_, spectrum_);
    frame_.AttachLive(live_);
    frame_.MDIForm_Load();
}

Program::~Program() = default;

void Program::Show() {
    frame_.Window().show();
    spectrum_.Show();
    wave_.Show();
}

frmAbout& Program::About() {
    if (!about_) {
        registry_ = MakeHostRegistry([] { return FindSystemInfoTool(); });
        launcher_ = MakeHostLauncher();
        about_ = std::make_unique<frmAbout>(services_, *registry_, *launcher_);
    }
    return *about_;
}

std::string UserNoteFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation).toStdString();
}

int RunTonvexa(QApplication& app, const std::string& startFile) {
    QFont font("Arial");
    font.setPointSizeF(8);
    QApplication::setFont(font);
    QApplication::setWindowIcon(ProgramIcon());
    // The sound device opens and the General MIDI instruments load while the splash shows.
    // The engine outlives the program, so every player is closed before it ends.
    AudioEngine engine;
    DesktopServices desktop;
    std::optional<Program> program;
    frmSplash splash;
    splash.OnClosed = [&] {
        program.emplace(desktop.Get(), engine, ProgramFolders{AppPath(), UserNoteFolder()});
        desktop.SetDialogOwner(&program->Frame().Window());
        program->Frame().SetStartFile(startFile);
        program->Show();
    };
    splash.Show();
    return app.exec();
}
