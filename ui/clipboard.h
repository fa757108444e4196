// Puts what the user copies on the desktop's clipboard: a picture as image/png, with or
// without a text/plain beside it. Nothing is written to disk.
#pragma once

#include <QImage>

#include <string>

void CopyToClipboard(const QImage& picture, const std::string& text = {});
