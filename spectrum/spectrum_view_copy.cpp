// Form101: copying the spectrum (picture and table) and describing it to a screen reader.
#include "spectrum_view.h"

#include "harmonics_table.h"

#include "ui/clipboard.h"
#include "ui/status_line.h"

SpectrumOnShow Form101::OnShow() const {
    return SpectrumOnShow{
        ft_, NPontGraf, freqGraf_, source_, MarkOnShow(), settings_, frozen_ ? &*frozen_ : nullptr};
}

void Form101::CopySpectrum() {
    CopyToClipboard(CopiedPicture(), CopiedTable());
}

QImage Form101::CopiedPicture() {
    return Picture2.Snapshot();
}

std::string Form101::CopiedTable() const {
    std::string table = SpectrumTable(OnShow());
    // While the comb shows, what it reads follows the rows.
    if (const auto comb = ReadComb()) {
        table += HarmonicsBlock(*comb, CombFundamentalHz());
    }
    return table;
}

void Form101::DescribeGraph() {
    Picture2.SetAccessibleDescription(SpectrumDescription(OnShow()));
}

void Form101::NoteNewFile(const std::string& path) {
    const std::string block = SpectrumBlockText(OnShow());
    if (block.empty()) {
        return;
    }
    earlierFileNote_ =
        "Spectrum on show: " + block + "; select and press FFT to analyse " + FileTitleOf(path);
    status_.ShowStatus(earlierFileNote_);
}

void Form101::ForgetEarlierFile() {
    if (earlierFileNote_.empty()) {
        return;
    }
    // Only the note itself goes: whatever the status line said since stays.
    if (status_.StatusText() == earlierFileNote_) {
        status_.ShowStatus("");
    }
    earlierFileNote_.clear();
}
