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
// size, one after the other (no rate conversion); `inputArguments` go before the input
// (such as {"-noautorotate"}).
QByteArray rgbFrames(const QString& path, const QStringList& extraArguments = {},
                     const QStringList& inputArguments = {});

// The clip `source` copied as it is into a QuickTime file `path` whose video stream carries a
// display matrix of `degrees` (a multiple of 90), as phones write their portrait clips. Returns
// the path, or an empty string when ffmpeg failed.
QString rotatedClip(const QString& source, const QString& path, int degrees);

// The pictures of `source` as coded (its display matrix ignored), run through the ffmpeg
// filters `filters` and coded losslessly (RGB in PNG, or `codec` such as FFV1 in the source's
// own pixel format) in Matroska: a clip that holds the pictures themselves as they were
// filtered, such as physically turned with "transpose=clock" or cut to pictures 12 to 26 with
// "trim=start_frame=12:end_frame=27,setpts=PTS-STARTPTS". Returns the path, or an empty string
// when ffmpeg failed.
QString filteredClip(const QString& source, const QString& path, const QString& filters,
                     const QStringList& codec = {"-c:v", "png", "-pix_fmt", "rgb24"});

} // namespace TestMedia

#endif
