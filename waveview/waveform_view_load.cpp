// Form103: loading a wave file into the view (`LerFileDad_3`).
#include "view_state_rules.h"
#include "wave_reader.h"
#include "waveform_view.h"

#include "frame_port.h"

#include "base/file_channel.h"
#include "base/numbers.h"
#include "ui/common_dialog.h"
#include "ui/services.h"

#include <QDateTime>
#include <QLocale>

#include <exception>
#include <string>

namespace {

constexpr double kDateGapTwips = 500; // between the file line and the date line

std::string ModifiedText(std::time_t t) {
    const QDateTime when = QDateTime::fromSecsSinceEpoch(static_cast<qint64>(t));
    return QLocale::system().toString(when, QLocale::ShortFormat).toStdString();
}

// Thrown inside the load to take the failure path, with the reason the walk refused the file.
struct Rejected {
    std::string cause;
};

// The cause a failed load tells, from what it threw.
std::string FailureCause(const std::exception_ptr& failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const Rejected& r) {
        return r.cause;
    } catch (const FileError& e) {
        return e.Cause().empty() ? e.what() : e.Cause();
    } catch (const num::NumberError& e) {
        return std::string("a value out of range (") + e.what() + ")";
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "an unexpected error";
    }
}

} // namespace

void Form103::LerFileDad_3() {
    // A new file silences the old one: its sound and cursor must not run on over the new
    // drawing, and its play buttons come back with the new file.
    if (!PlayIdle) {
        StopPlayerForRest();
    }
    LimpF();
    bool failed = false;
    std::string cause; // why the load failed, for the status line
    FileChannel& ch = channel1_;
    bool opened = false; // channel 1 is this load's to close only once it opened it
    try {
        CommonDialog& dialog = frame_.CommonDialog1();
        const std::string title = dialog.FileTitle();
        frame_.SetCaption("Tonvexa [Files *.wav - (" + (title.empty() ? "Demo.wav" : title) + ")]");
        const std::string path = dialog.FileName();
        Label1.SetCaption("File: " + path);

        ch.Open(path, FileChannel::Mode::BinaryRead);
        opened = true;
        Label2.SetCaption("Size: " + num::IntText(ch.Length()) + " Bytes");
        Label3.SetLeft(Label1.Left() + Label1.Width() + kDateGapTwips);
        Label3.SetCaption("Last modified: " + ModifiedText(ch.ModifiedTime()));
        Label4.SetCaption("0");
        Label17.SetCaption("0");

        const WaveHeader h = WalkWaveHeader(ch);
        if (h.channelsRead) {
            Label9.SetCaption(h.channels == 2 ? "Stereo" : h.channels == 1 ? "Mono" : "Error");
        }
        if (h.formatRead) {
            Label8.SetCaption(num::IntText(h.sampleRate));
            Label12.SetCaption(num::IntText(h.blockAlign));
        }
        if (h.bitsRead) {
            Label10.SetCaption(
                h.failure == WaveHeader::Failure::Bits ? "Error" : num::IntText(h.bits) + " bits");
        }
        if (h.dataRead) {
            Label13.SetCaption(num::IntText(h.dataSize));
        }
        if (h.failure != WaveHeader::Failure::None) {
            throw Rejected{RefusalCause(h)};
        }

        const std::int32_t n = FrameCount(h.dataSize, h.blockAlign);
        Label6[0].SetCaption(num::IntText(n));
        Label6[1].SetCaption(num::IntText(n));
        const WaveDuration d = DurationOf(n, num::CLng(num::ParseNumber(SampleRate().Caption())));
        Label14.SetCaption(DurationLine(d.shownSeconds));
        Label15[0].SetCaption(num::SingleText(d.seconds));
        Label15[1].SetCaption(num::SingleText(d.seconds));
        SelEndMs = d.wholeMs;
        Label11.SetCaption(num::IntText(h.dataStart));

        Amp8Mono = 15.0f;
        Amp16Mono = 1.0f / 17;
        Amp8Stereo = 7.0f;
        Amp16Stereo = 1.0f / 35;

        GrafWave8BM(num::CLng(static_cast<double>(h.dataStart)), n);
        ch.Close();
        opened = false;
        FileLoaded = true;

        const bool stereo = ChannelsText().Caption() == "Stereo";
        Frame2.SetEnabled(stereo);
        Option1.SetEnabled(stereo);
        Option2.SetEnabled(stereo);
    } catch (...) {
        // Every way a load can fail (a refused format, a file that cannot be opened or
        // ends too soon, an overflow) takes the one failure path; only the cause told beside
        // the one message differs.
        failed = true;
        cause = FailureCause(std::current_exception());
    }
    if (failed) {
        if (opened) {
            ch.Close();
        }
        LoadFailed(cause);
    }
}

// Channel 1 is closed before the message: while it is up, timers and player notifications
// still run, and none of them may find the wave's file open. The cause is told first, so that
// it stands on the status line while the message is up.
void Form103::LoadFailed(const std::string& cause) {
    frame_.ShowCause("Cannot open " + FileNameOf(frame_.CommonDialog1().FileName()) + ": " + cause);
    services_.messages->Show(JoinLines({"Cannot open; the file may be corrupted, or",
                                        "it is written in unsupported format."}),
                             AppTitle(), MsgIcon::None);
    LimpF();
    frame_.mnuOpen_Click();
}
