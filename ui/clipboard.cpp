#include "clipboard.h"

#include "base/file_names.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

void CopyToClipboard(const QImage& picture, const std::string& text) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    auto data = std::make_unique<QMimeData>();
    data->setData(QStringLiteral("image/png"), png);
    if (!text.empty()) {
        data->setText(ReadableText(text)); // a file name in it need not be UTF-8
    }
    QGuiApplication::clipboard()->setMimeData(data.release()); // the clipboard takes it
}
