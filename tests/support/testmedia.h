#ifndef ROTAVIS_TESTMEDIA_H
#define ROTAVIS_TESTMEDIA_H

#include <QByteArray>
#include <QSize>
#include <QString>
#include <QStringList>

// Media for the tests, made with the ffmpeg command-line tool.
namespace TestMedia {

// Runs ffmpeg with the given arguments (quiet, overwriting); false with the tool's own
// message in *error when it fails.
bool ffmpeg(const QStringList& arguments, QString* error = nullptr);

// A clip of the moving test pattern (any size, odd ones included), `frames` pictures at `rate`
// (such as "25" or "30000/1001"), PNG-coded in Matroska so that every picture decodes to exact RGB.
// Returns the path, or an empty string when ffmpeg failed.
QString pngClip(const QString& directory, const QString& name, const QString& rate, int frames,
                const QSize& size = QSize(33, 24));

// The clip `name` in `directory`: the file as it is when it exists already, so that the tests
// that share a clip make it once; otherwise made as pngClip makes it, or coded with `codec`
// instead (encoder arguments such as {"-c:v", "mpeg4", "-pix_fmt", "yuv420p"}) when given.
// Returns the path, or an empty string when ffmpeg failed.
QString reusedClip(const QString& directory, const QString& name, const QString& rate, int frames,
                   const QSize& size = QSize(33, 24), const QStringList& codec = {});

// Every picture of a media file as the ffmpeg tool converts it to packed RGB24 at its own
// size, one after the other (no rate conversion).
QByteArray rgbFrames(const QString& path, const QStringList& extraArguments = {});

} // namespace TestMedia

#endif
