#include "commandline.h"

#include "nativepath.h"

#include <QByteArray>

QString commandLineFile(int argc, char* argv[])
{
    if (argc < 2 || !argv[1])
        return QString();
    return NativePath::fromBytes(QByteArray(argv[1]));
}
