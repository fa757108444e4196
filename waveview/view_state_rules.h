// Rules of the waveform view's state that need no window.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The transform size for a selection of `selPoints` frames: the largest power of two strictly
// below it, at least 32 and at most 32768.
std::int32_t TransformSize(std::int32_t selPoints);

// The text the transform-size label shows for a selection-size text (empty: nothing selected).
std::string TransformSizeText(const std::string& selPointsText);

// A path's file name without its folder, as the status line names the file.
std::string FileNameOf(const std::string& path);
