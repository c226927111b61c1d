#include "commandline.h"

#include "nativepath.h"

#include <QByteArray>

QString commandLineFile(int argc, char* argv[])
{
    if (argc < 2 || !argv[1])
        return QString();
    return NativePath::fromBytes(QByteArray(argv[1]));
}

QString commandLineAnswer(int argc, char* argv[], const QString& version)
{
    if (argc != 2 || !argv[1])
        return QString();
    const QByteArray option(argv[1]);
    if (option == "--version")
        return QStringLiteral("rotavis %1\n").arg(version);
    if (option != "--help" && option != "-h")
        return QString();
    return QStringLiteral(
        "Usage: rotavis [FILE]\n"
        "  or:  rotavis --help | --version\n"
        "\n"
        "Opens the Rotavis window: place a selection frame over a clip, preview it at a\n"
        "panel's rate as the fans will show it, and save it as the fan data files of the\n"
        "panel's fans.\n"
        "\n"
        "FILE, if given, is opened as the open button would open it: a video or picture,\n"
        "or a fan data file (NAME.bin or NAME__N.bin), which plays its whole set.\n"
        "\n"
        "Options:\n"
        "  -h, --help     show this help and exit\n"
        "      --version  show the version and exit\n"
        "\n"
        "Without a display, convert with rotavis-convert.\n");
}
