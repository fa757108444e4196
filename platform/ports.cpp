#include "ports.h"

#include <stdexcept>

namespace {
std::function<ShellPort&()>& ShellAccessor() {
    static std::function<ShellPort&()> f;
    return f;
}
std::function<SpectrumPort&()>& SpectrumAccessor() {
    static std::function<SpectrumPort&()> f;
    return f;
}
} // namespace

ShellPort& Shell() {
    if (!ShellAccessor()) {
        throw std::logic_error("no main window installed");
    }
    return ShellAccessor()();
}

SpectrumPort& Spectrum() {
    if (!SpectrumAccessor()) {
        throw std::logic_error("no spectrum view installed");
    }
    return SpectrumAccessor()();
}

void InstallShell(std::function<ShellPort&()> accessor) {
    ShellAccessor() = std::move(accessor);
}
void InstallSpectrum(std::function<SpectrumPort&()> accessor) {
    SpectrumAccessor() = std::move(accessor);
}
