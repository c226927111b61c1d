// Tells whether the desktop's icon lookup finds each named icon in the hicolor theme, with an
// installed tree's icons in front of the system's: `themeicon ICONDIR NAME...`. Exit 0 when
// every name is found.
#include <QGuiApplication>
#include <QIcon>

#include <cstdio>

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 3) {
        std::fprintf(stderr, "usage: themeicon ICONDIR NAME...\n");
        return 2;
    }
    QIcon::setThemeSearchPaths({arguments.at(1), QStringLiteral("/usr/share/icons")});
    QIcon::setThemeName(QStringLiteral("hicolor"));
    int missing = 0;
    for (const QString& name : arguments.mid(2)) {
        const QIcon icon = QIcon::fromTheme(name);
        if (icon.isNull() || icon.pixmap(64).isNull()) {
            std::fprintf(stderr, "no icon '%s' in the theme\n", qPrintable(name));
            ++missing;
        }
    }
    return missing == 0 ? 0 : 1;
}
