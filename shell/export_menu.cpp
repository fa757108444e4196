// MDIForm1: File > Export spectrum... writes what Ctrl+C copies from the spectrum view, the
// table as a .tsv file and the picture as a .png file of the same name beside it, at a place
// chosen in the desktop's save dialog. Existing files are replaced only when the user agrees;
// each file is written whole or not at all.
#include "main_window.h"

#include "base/atomic_file.h"
#include "base/file_names.h"
#include "dialogs/record_dialog.h"
#include "spectrum/spectrum_table.h"
#include "spectrum/spectrum_view.h"
#include "ui/services.h"

#include <QAction>
#include <QBuffer>
#include <QFileInfo>
#include <QImage>

#include <array>
#include <cstdio>
#include <span>
#include <vector>

namespace {

const char* const kExportFilter = "Spectrum table and picture|*.tsv";

// The chosen name without a ".tsv" or ".png" the user typed or the dialog added.
std::string WithoutExtension(const std::string& path) {
    const QFileInfo chosen(QString::fromStdString(path));
    const QString suffix = chosen.suffix().toLower();
    if (suffix == "tsv" || suffix == "png") {
        return path.substr(0, path.size() - static_cast<std::size_t>(suffix.size()) - 1);
    }
    return path;
}

std::string NameOf(const std::string& path) {
    return QFileInfo(QString::fromStdString(path)).fileName().toStdString();
}

std::vector<std::uint8_t> PngBytes(const QImage& picture) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    return {png.begin(), png.end()};
}

struct ExportFile {
    std::string path;
    std::vector<std::uint8_t> bytes;
    bool existed = false;
};

// Writes the files whole under temporary names first, then gives each its name. When one
// fails, none that is new stays behind. Empty on success, else why.
std::string WriteAll(std::span<ExportFile> files) {
    std::vector<AtomicFile> temps(files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        std::string why = temps[i].Open(files[i].path);
        if (why.empty()) {
            why = temps[i].Write(files[i].bytes);
        }
        if (!why.empty()) {
            return why; // the temporary files go with `temps`
        }
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (std::string why = temps[i].Commit(); !why.empty()) {
            for (std::size_t done = 0; done < i; ++done) {
                if (!files[done].existed) {
                    std::remove(files[done].path.c_str());
                }
            }
            return why;
        }
    }
    return {};
}

} // namespace

void MDIForm1::WireExport() {
    OnMenu("mnuExport", [this] { mnuExport_Click(); });
    Item("mnuExport")->setEnabled(true);
}

void MDIForm1::mnuExport_Click() {
    if (!spectrum_) {
        return;
    }
    if (spectrum_->NPontGraf <= 0) {
        ShowStatus("No spectrum to export yet: select a stretch of the wave and press FFT");
        return;
    }
    if (exportFolder_.empty()) {
        const QString recordings = QString::fromStdString(RecordingsFolder().path);
        if (QFileInfo(recordings).isDir()) {
            exportFolder_ = recordings.toStdString();
        }
    }
    const std::string source =
        QFileInfo(ReadableText(spectrum_->OnShow().source.file)).completeBaseName().toStdString();
    const auto chosen = services_.files->GetSaveFileName(
        kExportFilter, exportFolder_, (source.empty() ? "" : source + " ") + "spectrum.tsv");
    if (!chosen) {
        return;
    }
    const std::string base = WithoutExtension(*chosen);
    exportFolder_ = QFileInfo(QString::fromStdString(base)).absolutePath().toStdString();
    std::array<ExportFile, 2> files{{{base + ".tsv", {}, false}, {base + ".png", {}, false}}};
    std::string existing;
    for (ExportFile& f : files) {
        f.existed = QFileInfo::exists(QString::fromStdString(f.path));
        if (f.existed) {
            existing += (existing.empty() ? "" : " and ") + NameOf(f.path);
        }
    }
    if (!existing.empty()) {
        const bool both = files[0].existed && files[1].existed;
        const std::string question =
            existing + (both ? " already exist. Replace them?" : " already exists. Replace it?");
        if (!services_.messages->Confirm(question, AppTitle(), "&Replace", "&Cancel")) {
            return;
        }
    }
    // UTF-8 text, whatever the bytes of the file name in it.
    const std::string table = ReadableFileName(spectrum_->CopiedTable());
    files[0].bytes.assign(table.begin(), table.end());
    files[1].bytes = PngBytes(spectrum_->CopiedPicture());
    if (const std::string why = WriteAll(files); !why.empty()) {
        services_.messages->Show("The spectrum was not exported: " + why, AppTitle(),
                                 MsgIcon::Exclamation);
        return;
    }
    ShowStatus("Spectrum exported: " + NameOf(files[0].path) + " and " + NameOf(files[1].path) +
               " in " + exportFolder_);
}
