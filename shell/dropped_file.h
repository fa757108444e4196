// What the frame accepts when something is dragged onto it: one local wave file.
#pragma once

#include <optional>
#include <string>

class QMimeData;

// The path of the one local file whose name ends in ".wav" (any case) that `data` carries;
// nothing for several files, a remote address, a folder or any other kind of data.
std::optional<std::string> DroppedWaveFile(const QMimeData& data);
