#pragma once
class QApplication;
int RunTonvexa(QApplication& app);
