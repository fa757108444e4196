// The committed artwork is what its generators write, and the program's built-in copies
// draw.
#include "dialogs/vector_picture.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

QByteArray Contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(Artwork, GeneratorsReproduceTheCommittedFiles) {
    const char* tools = std::getenv("TONVEXA_TOOLS");
    const char* assets = std::getenv("TONVEXA_ASSETS");
    if (!tools || !assets) {
        GTEST_SKIP() << "TONVEXA_TOOLS and TONVEXA_ASSETS name the generators and assets";
    }
    QTemporaryDir out;
    ASSERT_TRUE(out.isValid());
    const struct {
        const char* tool;
        const char* asset;
    } pairs[]{{"make_splash_art", "splash_art.svg"}, {"make_icon", "tonvexa_icon.svg"}};
    for (const auto& p : pairs) {
        SCOPED_TRACE(p.asset);
        const QString written = out.filePath(p.asset);
        const int rc = QProcess::execute(QString::fromLocal8Bit(tools) + "/" + p.tool, {written});
        ASSERT_EQ(rc, 0);
        const QByteArray committed = Contents(QString::fromLocal8Bit(assets) + "/" + p.asset);
        ASSERT_FALSE(committed.isEmpty());
        EXPECT_TRUE(Contents(written) == committed) << "regenerate assets/" << p.asset;
    }
}

TEST(Artwork, BuiltInPicturesDraw) {
    QWidget parent;
    // Points in the picture's units: one outside its dark panel, one inside it.
    const struct {
        QString picture;
        QSize size;
        QPoint outside, inside;
    } pictures[]{{kSplashArtwork, QSize(420, 300), QPoint(210, 30), QPoint(120, 95)},
                 {kProgramIconPicture, QSize(64, 64), QPoint(0, 0), QPoint(32, 6)}};
    for (const auto& p : pictures) {
        SCOPED_TRACE(p.picture.toStdString());
        VectorPicture picture(&parent, p.picture);
        ASSERT_TRUE(picture.Loaded());
        const QImage image = picture.Render(p.size);
        EXPECT_EQ(image.pixelColor(p.outside).alpha(), 0);
        const QColor inside = image.pixelColor(p.inside);
        EXPECT_EQ(inside.alpha(), 255);
        EXPECT_LT(inside.lightness(), 80);
    }
    const QIcon icon = ProgramIcon();
    EXPECT_FALSE(icon.isNull());
    EXPECT_EQ(icon.availableSizes().size(), 8);
}

} // namespace
