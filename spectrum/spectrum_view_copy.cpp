// Form101: copying the spectrum (picture and table) and describing it to a screen reader.
#include "spectrum_view.h"

#include "ui/clipboard.h"

SpectrumOnShow Form101::OnShow() const {
    return SpectrumOnShow{
        ft_, NPontGraf, freqGraf_, source_, MarkOnShow(), settings_, frozen_ ? &*frozen_ : nullptr};
}

void Form101::CopySpectrum() {
    CopyToClipboard(Picture2.Snapshot(), SpectrumTable(OnShow()));
}

void Form101::DescribeGraph() {
    Picture2.SetAccessibleDescription(SpectrumDescription(OnShow()));
}
