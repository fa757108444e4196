#include "main_window.h"
#include <QApplication>
int RunTonvexa(QApplication& app) { return app.exec(); }
