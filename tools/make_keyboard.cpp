// Writes the keyboard bitmap of the spectrum view: 1200 x 65 pixels, 8 bits per pixel with a
// palette, MIDI notes 0 (C of octave -1) to 127 (G of octave 9) and half a key more. Stretched to
// 19275 twips, each semitone of the upper part takes 150 twips, so every key lies under the
// frequencies of its note. Deterministic: the same bytes on every run.
//
// Usage: make_keyboard <output.bmp>
#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 1200;
constexpr int kHeight = 65;
constexpr int kNotes = 128;
// The picture spans 128.5 semitones: 2400 / 257 pixels per semitone.
constexpr int kHalfSemitonesAcross = 257;
constexpr int kWhiteKeyPixels = 16;    // 75 white keys of 16 pixels fill the width
constexpr int kBlackKeyBottomRow = 41; // black keys reach down to row 41 (about 640 twips)
constexpr int kLetterTop = 44;         // letter rows 44..50
constexpr int kDigitTop = 53;          // octave number rows 53..59
constexpr int kShadowRow = 63;
constexpr int kBottomRow = 64;
constexpr int kLowestPlayable = 21;   // A of octave 0
constexpr int kHighestPlayable = 108; // C of octave 8

enum Ink : std::uint8_t { kBlack, kWhite, kLightGrey, kDarkGrey, kDarkRed };
constexpr std::array<std::array<std::uint8_t, 3>, 5> kPalette{
    {{0, 0, 0}, {255, 255, 255}, {192, 192, 192}, {128, 128, 128}, {128, 0, 0}}};

bool IsBlack(int note) {
    const int s = note % 12;
    return s == 1 || s == 3 || s == 6 || s == 8 || s == 10;
}
bool InRange(int note) {
    return note >= kLowestPlayable && note <= kHighestPlayable;
}

// Left pixel edge of semitone k in the upper part (k = 0 .. 128), rounded to the nearest pixel.
int SemitoneEdge(int k) {
    if (k >= kNotes) {
        return kWidth;
    }
    return (4 * kWidth * k + kHalfSemitonesAcross) / (2 * kHalfSemitonesAcross);
}

// A 5 x 7 pixel font for the letters and octave numbers.
const std::array<const char*, 7>& Glyph(char c) {
    static const std::array<const char*, 7> a{".###.", "#...#", "#...#", "#####",
                                              "#...#", "#...#", "#...#"};
    static const std::array<const char*, 7> b{"####.", "#...#", "#...#", "####.",
                                              "#...#", "#...#", "####."};
    static const std::array<const char*, 7> cc{".###.", "#...#", "#....", "#....",
                                               "#....", "#...#", ".###."};
    static const std::array<const char*, 7> f{"#####", "#....", "#....", "####.",
                                              "#....", "#....", "#...."};
    static const std::array<const char*, 7> g{".###.", "#...#", "#....", "#.###",
                                              "#...#", "#...#", ".###."};
    static const std::array<const char*, 7> minus{".....", ".....", ".....", ".###.",
                                                  ".....", ".....", "....."};
    static const std::array<std::array<const char*, 7>, 10> digits{{
        {".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."},
        {"..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."},
        {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"},
        {"#####", "...#.", "..#..", "...#.", "....#", "#...#", ".###."},
        {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."},
        {"#####", "#....", "####.", "....#", "....#", "#...#", ".###."},
        {"..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###."},
        {"#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."},
        {".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."},
        {".###.", "#...#", "#...#", ".####", "....#", "...#.", ".##.."},
    }};
    switch (c) {
    case 'A':
        return a;
    case 'B':
        return b;
    case 'C':
        return cc;
    case 'F':
        return f;
    case 'G':
        return g;
    case '-':
        return minus;
    default:
        return digits.at(static_cast<std::size_t>(c - '0'));
    }
}

class Bitmap {
  public:
    Bitmap() : pixels_(static_cast<std::size_t>(kWidth) * kHeight, kWhite) {}
    void Set(int x, int y, Ink ink) {
        if (x >= 0 && x < kWidth && y >= 0 && y < kHeight) {
            pixels_[static_cast<std::size_t>(y) * kWidth + x] = ink;
        }
    }
    void Fill(int x0, int x1, int y0, int y1, Ink ink) {
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x) {
                Set(x, y, ink);
            }
        }
    }
    // Text centred on column centre, its top at row top.
    void Text(const std::string& text, int centre, int top, Ink ink) {
        const int width = static_cast<int>(text.size()) * 6 - 1;
        int x = centre - width / 2;
        for (char c : text) {
            const auto& rows = Glyph(c);
            for (int r = 0; r < 7; ++r) {
                for (int col = 0; col < 5; ++col) {
                    if (rows[static_cast<std::size_t>(r)][col] == '#') {
                        Set(x + col, top + r, ink);
                    }
                }
            }
            x += 6;
        }
    }
    std::uint8_t At(int x, int y) const {
        return pixels_[static_cast<std::size_t>(y) * kWidth + x];
    }

  private:
    std::vector<std::uint8_t> pixels_;
};

void DrawKeyboard(Bitmap& bmp) {
    // Upper part: one slot per semitone, black key bodies and the visible tops of white keys.
    for (int m = 0; m < kNotes; ++m) {
        const int x0 = SemitoneEdge(m);
        const int x1 = SemitoneEdge(m + 1);
        if (IsBlack(m)) {
            bmp.Fill(x0, x1, 0, kBlackKeyBottomRow, InRange(m) ? kBlack : kDarkRed);
            bmp.Fill(x0, x1, kBlackKeyBottomRow, kBlackKeyBottomRow + 1, kDarkGrey);
        } else {
            bmp.Fill(x0, x1, 0, kBlackKeyBottomRow + 1, InRange(m) ? kWhite : kLightGrey);
            // Two white tops side by side (E|F, B|C) are parted by a 2-pixel line.
            if (m > 0 && !IsBlack(m - 1)) {
                const Ink line = InRange(m) || InRange(m - 1) ? kBlack : kDarkRed;
                bmp.Fill(x0 - 1, x0 + 1, 0, kBlackKeyBottomRow + 1, line);
            }
        }
    }
    // Lower part: the wide white keys, 16 pixels each, with their letters and octave numbers.
    int w = 0;
    int whiteCount = 0;
    for (int m = 0; m < kNotes; ++m) {
        whiteCount += IsBlack(m) ? 0 : 1;
    }
    for (int m = 0; m < kNotes; ++m) {
        if (IsBlack(m)) {
            continue;
        }
        const int x0 = w * kWhiteKeyPixels;
        const int x1 = x0 + kWhiteKeyPixels;
        const Ink body = InRange(m) ? kWhite : kLightGrey;
        const Ink ink = InRange(m) ? kBlack : kDarkRed;
        bmp.Fill(x0, x1, kBlackKeyBottomRow + 1, kShadowRow, body);
        bmp.Fill(x0, x1, kShadowRow, kBottomRow, InRange(m) ? kLightGrey : kDarkGrey);
        if (w > 0) {
            const bool edgeInRange = InRange(m) || InRange(m - 1) || InRange(m - 2);
            bmp.Fill(x0 - 1, x0 + 1, kBlackKeyBottomRow + 1, kBottomRow,
                     edgeInRange ? kBlack : kDarkRed);
        }
        const int s = m % 12;
        const bool lastTwo = w >= whiteCount - 2;
        if (s == 9 || s == 11 || s == 0 || lastTwo) {
            static const std::string letters = "C D EF G A B";
            const int centre = x0 + kWhiteKeyPixels / 2;
            bmp.Text(std::string(1, letters[static_cast<std::size_t>(s)]), centre, kLetterTop, ink);
            bmp.Text(std::to_string(m / 12 - 1), centre, kDigitTop, ink);
        }
        ++w;
    }
    bmp.Fill(0, kWidth, kBottomRow, kHeight, kBlack);
}

void PutLE(std::vector<std::uint8_t>& out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
}

// An uncompressed bottom-up Windows bitmap with a 256-entry palette.
std::vector<std::uint8_t> EncodeBmp(const Bitmap& bmp) {
    constexpr std::uint32_t kHeaderBytes = 14 + 40 + 256 * 4;
    constexpr std::uint32_t kImageBytes = kWidth * kHeight; // rows are a multiple of 4 bytes
    constexpr std::uint32_t kPixelsPerMetre = 3780;         // 96 dots per inch
    std::vector<std::uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    PutLE(out, kHeaderBytes + kImageBytes, 4);
    PutLE(out, 0, 4);
    PutLE(out, kHeaderBytes, 4);
    PutLE(out, 40, 4);
    PutLE(out, kWidth, 4);
    PutLE(out, kHeight, 4);
    PutLE(out, 1, 2);
    PutLE(out, 8, 2);
    PutLE(out, 0, 4);
    PutLE(out, kImageBytes, 4);
    PutLE(out, kPixelsPerMetre, 4);
    PutLE(out, kPixelsPerMetre, 4);
    PutLE(out, 256, 4);
    PutLE(out, 0, 4);
    for (std::size_t i = 0; i < 256; ++i) {
        const std::array<std::uint8_t, 3> rgb =
            i < kPalette.size() ? kPalette[i] : std::array<std::uint8_t, 3>{};
        out.push_back(rgb[2]);
        out.push_back(rgb[1]);
        out.push_back(rgb[0]);
        out.push_back(0);
    }
    for (int y = kHeight - 1; y >= 0; --y) {
        for (int x = 0; x < kWidth; ++x) {
            out.push_back(bmp.At(x, y));
        }
    }
    return out;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_keyboard <output.bmp>\n");
        return 2;
    }
    Bitmap bmp;
    DrawKeyboard(bmp);
    const std::vector<std::uint8_t> bytes = EncodeBmp(bmp);
    std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    if (!file) {
        std::fprintf(stderr, "make_keyboard: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
