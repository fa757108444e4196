// Form103: the "FFT" button, which reads one channel of the selected frames from the wave file
// and hands them to the spectrum view's transform.
#include "handoff_rules.h"
#include "waveform_view.h"

#include "analysis_port.h"
#include "frame_port.h"

#include "base/file_channel.h"
#include "base/numbers.h"
#include "ui/common_dialog.h"
#include "ui/services.h"

#include <exception>

void Form103::Command5_Click() {
    if (SampleRate().Caption().empty() || !PlayIdle) {
        Picture2.SetFocus();
        Surface().Print("MMC Open");
        return;
    }
    if (FftPoints().Caption().empty()) {
        services_.messages->Show("You have to select a part of the graph before", AppTitle(),
                                 MsgIcon::None);
        return;
    }

    SetPointer(MousePointer::Hourglass);
    Picture2.SetFocus();
    FileChannel& ch = channel1_;
    BlockSource source{frame_.CommonDialog1().FileName(), {}, SelIniMs / 1000.0, SelEndMs / 1000.0};
    bool read = false;
    try {
        const std::int32_t Freq = WholeNumber(SampleRate());
        const std::int64_t start = FilePosition(WholeNumber(SelIniPoint()));
        const std::int32_t Npont = WholeNumber(FftPoints());
        const ChannelLayout layout = LayoutFor(num::LeadingNumber(BitsText().Caption()),
                                               ChannelsText().Caption(), Option1.Value());
        source.channel = ChannelName(layout);

        ch.Open(source.file, FileChannel::Mode::BinaryRead);
        ch.Seek(start);
        std::vector<double> y = ReadChannelBlock(ch, Npont, layout);
        ch.Close();
        read = true;

        analysis_.DescribeBlock(source);
        analysis_.Analyse(y, Npont, Freq);
    } catch (const std::exception& e) {
        // A file gone, changed or unreadable since it was loaded, or a value out of range:
        // the channel is closed, and a block that could not be read takes the spectrum of an
        // earlier one off the view, with the cause on the status line.
        ch.Close();
        if (!read) {
            const auto* file = dynamic_cast<const FileError*>(&e);
            analysis_.BlockUnread(source, file && !file->Cause().empty() ? file->Cause()
                                                                         : std::string(e.what()));
        }
    }
    SetPointer(MousePointer::Default);
}
