// Every writer of the program names the cause when the disk fails it: a full disk (a write
// that is cut short first, then refused) reads "No space left on device", a read-only one
// "Read-only file system". And a failed write leaves nothing behind on the disk.
#include "audio/sound_import.h"
#include "base/atomic_file.h"
#include "base/file_channel.h"
#include "base/wave_writer.h"
#include "notes/note_file_copy.h"
#include "tests/support/failing_disk.h"
#include "tests/support/fixtures.h"
#include "tests/support/program_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace {

constexpr std::size_t kPage = 4096;

// The names in a folder but the filler, one a line.
std::string Leftovers(const std::string& folder) {
    std::string names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) {
        if (e.path().filename() != ".filler") {
            names += e.path().filename().string() + "\n";
        }
    }
    return names;
}

// Runs an import to its end; empty on success, else why.
std::string Import(const std::string& source, const std::string& target) {
    std::string why;
    const std::unique_ptr<SoundImport> job = SoundImport::Open(source, why);
    if (!job) {
        return "cannot open the source: " + why;
    }
    if (why = job->Begin(target); !why.empty()) {
        return why;
    }
    SoundImport::Step step;
    while ((step = job->Next(why)) == SoundImport::Step::Working) {
    }
    return step == SoundImport::Step::Failed ? why : std::string();
}

} // namespace

TEST(WriteFailures, EveryWriterNamesTheCauseAndLeavesNothingBehind) {
    TempDir dir;
    const std::string outside = dir.Path();
    const std::string disk = dir.File("disk");
    std::filesystem::create_directory(disk);
    // A second of 16-bit stereo at 44.1 kHz (176 KiB) to import, and the note template.
    WriteFile(dir.File("source.wav"), MakeWave(2, 16, 44100, 44100, [](int f, int c) {
                  return (f * (c + 3)) % 20000 - 10000;
              }));
    WriteFile(dir.File("Pia_do.mid"), ProgramFolder::Asset("Pia_do.mid"));
    const std::vector<std::int16_t> take(44100, 1000); // 86 KiB: longer than the space left
    const std::vector<std::uint8_t> exported(48 * 1024, 'x');

    const struct {
        const char* writer;
        bool bigWrite; // writes more than a page: cut short on a disk with a page left
        std::function<void(const std::string& disk)> before; // while the disk still takes files
        std::function<std::string(const std::string& disk)> write;
    } writers[] = {
        {"take or test tone", true, nullptr,
         [&](const std::string& d) { return WriteWave16Mono(d + "/take.wav", take, 44100); }},
        {"export", true, nullptr,
         [&](const std::string& d) {
             AtomicFile file;
             std::string why = file.Open(d + "/spectrum.tsv");
             why = why.empty() ? file.Write(exported) : why;
             return why.empty() ? file.Commit() : why;
         }},
        {"import", true, nullptr,
         [&](const std::string& d) { return Import(outside + "/source.wav", d + "/copy.wav"); }},
        {"new note copy", false, nullptr,
         [&](const std::string& d) {
             return EnsureNoteFile(outside + "/Pia_do.mid", d + "/Pia_do.mid", PianoLayout());
         }},
        {"note patch", false,
         [&](const std::string& d) {
             WriteFile(d + "/Pia_do.mid", ProgramFolder::Asset("Pia_do.mid"));
         },
         [&](const std::string& d) {
             return PatchNoteFile(d + "/Pia_do.mid", {{52, 64}});
         }},
        {"folder", false, nullptr,
         [&](const std::string& d) { return MakeFolders(d + "/Tonvexa/Recordings"); }},
        {"file channel", false,
         [&](const std::string& d) { WriteFile(d + "/bytes", Bytes(10, 0)); },
         [&](const std::string& d) {
             FileChannel channel;
             try {
                 channel.Open(d + "/bytes", FileChannel::Mode::BinaryReadWrite);
                 channel.WriteByte(200000, 1);
             } catch (const FileError& e) {
                 return std::string(e.what());
             }
             return std::string();
         }},
    };
    const struct {
        const char* disk;
        const char* cause;
        std::function<bool(FailingDisk&, bool bigWrite)> fail;
    } disks[] = {
        {"full", "No space left on device",
         [](FailingDisk& d, bool bigWrite) {
             // A page left for a big write, which the system then cuts short.
             d.Fill(bigWrite ? kPage : 0);
             return true;
         }},
        {"read-only", "Read-only file system",
         [](FailingDisk& d, bool) { return d.MakeReadOnly(); }},
    };
    for (const auto& w : writers) {
        for (const auto& k : disks) {
            if (std::string(w.writer) == "folder" && std::string(k.disk) == "full") {
                continue; // folders take no data pages on the disk
            }
            SCOPED_TRACE(std::string(w.writer) + " on a " + k.disk + " disk");
            std::string notRun;
            const auto said = OnFailingDisk(
                disk,
                [&](FailingDisk& d) {
                    if (w.before) {
                        w.before(d.Folder());
                    }
                    const std::string kept = Leftovers(d.Folder());
                    if (!k.fail(d, w.bigWrite)) {
                        return std::string("the disk could not be made to fail");
                    }
                    const std::string why = w.write(d.Folder());
                    const std::string after = Leftovers(d.Folder());
                    return why + (after == kept ? "" : "\nleft behind:\n" + after);
                },
                notRun);
            if (!said) {
                GTEST_SKIP() << "no private disk for this test: " << notRun;
            }
            EXPECT_NE(said->find(k.cause), std::string::npos) << *said;
            EXPECT_EQ(said->find("left behind"), std::string::npos) << *said;
        }
    }
}
