#include "dropped_file.h"

#include "base/file_names.h"

#include <QMimeData>
#include <QUrl>

#include <algorithm>
#include <filesystem>

std::optional<std::string> DroppedWaveFile(const QMimeData& data) {
    const QList<QUrl> urls = data.urls();
    if (!data.hasUrls() || urls.size() != 1) {
        return std::nullopt;
    }
    const QUrl& url = urls.constFirst();
    if (!url.isLocalFile()) {
        return std::nullopt;
    }
    // The path's own bytes: a name need not be in the locale's encoding.
    const std::string path = LocalFileBytes(url);
    std::error_code error;
    if (path.empty() || std::filesystem::is_directory(path, error) ||
        !QString::fromLatin1(path.substr(path.size() - std::min<std::size_t>(4, path.size())))
             .endsWith(".wav", Qt::CaseInsensitive)) {
        return std::nullopt;
    }
    return path;
}
