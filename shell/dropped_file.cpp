#include "dropped_file.h"

#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

std::optional<std::string> DroppedWaveFile(const QMimeData& data) {
    if (!data.hasUrls() || data.urls().size() != 1) {
        return std::nullopt;
    }
    const QUrl& url = data.urls().constFirst();
    if (!url.isLocalFile()) {
        return std::nullopt;
    }
    const QFileInfo file(url.toLocalFile());
    if (file.isDir() || !file.fileName().endsWith(".wav", Qt::CaseInsensitive)) {
        return std::nullopt;
    }
    return file.absoluteFilePath().toStdString();
}
