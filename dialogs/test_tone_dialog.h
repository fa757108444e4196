// File > "New test tone...": a small modal dialog in which a teacher types a tone (fundamental,
// waveform or harmonic levels, an optional second tone, noise, duration and rate), moves the
// fundamental onto a bin or halfway between two, and writes it as a 16-bit mono wave file
// beside the recordings. Bad values are said in the dialog and write nothing.
#pragma once

#include "test_tone.h"

#include <QDialog>

#include <cstdint>
#include <optional>
#include <string>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class TestToneDialog : public QDialog {
  public:
    // Tones are written into `folder` (made when missing). The bin buttons place the fundamental
    // for a transform of `fftPoints` (a power of two from 32 to 32768, else 4096) at the rate
    // chosen in the dialog.
    TestToneDialog(std::string folder, std::int32_t fftPoints, QWidget* parent = nullptr);
    ~TestToneDialog() override;

    // Shows the dialog modally; the path of the written tone, or nothing when cancelled.
    std::optional<std::string> Run();

    // "onto the nearest bin", "halfway between two bins": move the fundamental typed.
    void OntoBin_Click();
    void Halfway_Click();
    // "Write and open": checks the fields, then writes the tone and closes the dialog; a bad
    // value or a failed write keeps it open with the reason.
    void Write_Click();

    // The fields as typed.
    TestToneForm Form() const;
    // The transform the bin buttons place the fundamental for.
    std::int32_t BinPoints() const;
    std::string Message() const; // the line above the buttons
    const std::string& WrittenPath() const { return written_; }

    QLineEdit& Fundamental() const { return *fundamental_; }
    QComboBox& Waveform() const { return *waveform_; } // in ToneWaveform's order
    QLineEdit& Levels() const { return *levels_; }
    QCheckBox& SecondTone() const { return *second_; }
    QLineEdit& SecondHz() const { return *secondHz_; }
    QLineEdit& SecondLevel() const { return *secondLevel_; }
    QCheckBox& Noise() const { return *noise_; }
    QLineEdit& NoiseLevel() const { return *noiseLevel_; }
    QLineEdit& Seconds() const { return *seconds_; }
    QComboBox& Rate() const { return *rate_; }     // kTestToneRates
    QComboBox& Points() const { return *points_; } // 32 .. 32768
    QPushButton& WriteButton() const { return *write_; }
    QPushButton& CancelButton() const { return *cancel_; }

  private:
    void BuildWindow(std::int32_t fftPoints);
    void ShowMessage(const std::string& text, bool problem);
    // Enables the fields that the waveform and the check boxes use; names the bin spacing.
    void Refresh();
    // The fundamental as a number the tone can take at the chosen rate, else the message.
    std::optional<double> CheckedFundamental();
    std::int32_t ChosenRate() const;

    std::string folder_;
    std::string written_;

    QLineEdit* fundamental_ = nullptr;
    QPushButton* ontoBin_ = nullptr;
    QPushButton* halfway_ = nullptr;
    QComboBox* points_ = nullptr;
    QLabel* spacing_ = nullptr;
    QComboBox* waveform_ = nullptr;
    QLineEdit* levels_ = nullptr;
    QCheckBox* second_ = nullptr;
    QLineEdit* secondHz_ = nullptr;
    QLineEdit* secondLevel_ = nullptr;
    QCheckBox* noise_ = nullptr;
    QLineEdit* noiseLevel_ = nullptr;
    QLineEdit* seconds_ = nullptr;
    QComboBox* rate_ = nullptr;
    QLabel* message_ = nullptr;
    QPushButton* write_ = nullptr;
    QPushButton* cancel_ = nullptr;
};
