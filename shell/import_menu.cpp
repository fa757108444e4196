// MDIForm1: File > Import... turns a sound file of any format libsndfile reads into a 16-bit
// wave copy in the music folder's Tonvexa folder, then opens the copy exactly as File > Open
// opens a chosen file. A long file shows its progress; Escape or Cancel stops it and leaves no
// file behind.
#include "main_window.h"

#include "audio/sound_import.h"
#include "base/atomic_file.h"
#include "base/file_names.h"
#include "dialogs/record_dialog.h"
#include "ui/services.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMainWindow>
#include <QProgressDialog>

namespace {

// The formats libsndfile reads, by their usual names.
const char* const kImportFilter =
    "Sound files|*.wav *.flac *.ogg *.oga *.opus *.mp3 *.aif *.aiff *.aifc *.au *.snd *.caf "
    "*.w64 *.rf64 *.voc";
constexpr int kProgressSteps = 1000;

// `folder`/`name`, or with " (2)", " (3)" ... before ".wav" when that file exists: an import
// never replaces a file.
QString FreeCopyPath(const QString& folder, const QString& stem) {
    QString path = folder + "/" + stem + ".wav";
    for (int n = 2; QFileInfo::exists(path); ++n) {
        path = folder + QString("/%1 (%2).wav").arg(stem).arg(n);
    }
    return path;
}

} // namespace

void MDIForm1::WireImport() {
    OnMenu("mnuImport", [this] { mnuImport_Click(); });
    Item("mnuImport")->setEnabled(true);
}

void MDIForm1::mnuImport_Click() {
    if (!wave_) {
        return;
    }
    const auto chosen = services_.files->GetOpenFileName(kImportFilter, importFolder_);
    if (!chosen) {
        return;
    }
    // The chosen name's bytes are kept; the copy is named readably.
    const QFileInfo source(ArgumentText(chosen->c_str()));
    importFolder_ = FileNameBytes(source.absolutePath());
    const std::string name = FileNameBytes(source.fileName());
    auto refuse = [&](const std::string& why) {
        services_.messages->Show("Cannot import " + name + ": " + why, AppTitle(),
                                 MsgIcon::Exclamation);
    };

    std::string why;
    const std::unique_ptr<SoundImport> job = SoundImport::Open(*chosen, why);
    if (!job) {
        refuse(why);
        return;
    }
    const QString folder = QString::fromStdString(RecordingsFolder().path);
    if (const std::string made = MakeFolders(folder.toStdString()); !made.empty()) {
        refuse(made);
        return;
    }
    const std::string target =
        FileNameBytes(FreeCopyPath(folder, ReadableText(FileNameBytes(source.completeBaseName()))));
    why = job->Begin(target);
    if (!why.empty()) {
        refuse(why);
        return;
    }
    if (!ConvertWithProgress(*job, name, why)) {
        if (why.empty()) {
            ShowStatus("Import of " + name + " cancelled; nothing was written");
        } else {
            refuse(why);
        }
        return;
    }
    ShowStatus("Imported " + name + " (" + job->FormatName() + ", " +
               std::to_string(job->SourceRate()) + " Hz) as " + target);
    commonDialog1_.Choose(target);
    LoadChosenFile();
}

bool MDIForm1::ConvertWithProgress(SoundImport& job, const std::string& name, std::string& why) {
    QProgressDialog progress(ReadableText("Importing " + name + "..."), "Cancel", 0, kProgressSteps,
                             window_.get());
    progress.setWindowTitle(QString::fromStdString(AppTitle()));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(ImportProgressAfterMs);
    progress.setAutoReset(false);
    progress.setValue(0);
    // Escape closes the window as a dialog (reject) when its Cancel shortcut does not take it.
    bool cancelled = false;
    QObject::connect(&progress, &QProgressDialog::canceled, [&] { cancelled = true; });
    QObject::connect(&progress, &QDialog::rejected, [&] { cancelled = true; });
    SetPointer(MousePointer::Hourglass);
    SoundImport::Step step = SoundImport::Step::Working;
    while (step == SoundImport::Step::Working) {
        step = job.Next(why);
        progress.setValue(static_cast<int>(job.Fraction() * kProgressSteps));
        // Until the window shows, nothing the user does may start another command meanwhile.
        QCoreApplication::processEvents(progress.isVisible() ? QEventLoop::AllEvents
                                                             : QEventLoop::ExcludeUserInputEvents);
        if (cancelled && step == SoundImport::Step::Working) {
            job.Abandon();
            why.clear();
            step = SoundImport::Step::Failed;
        }
    }
    SetPointer(MousePointer::Default);
    return step == SoundImport::Step::Finished;
}
