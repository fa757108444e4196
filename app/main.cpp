// Tonvexa: teaches how the Fourier transform analyses sound.
#include "shell/program.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Tonvexa");
    return RunTonvexa(app);
}
