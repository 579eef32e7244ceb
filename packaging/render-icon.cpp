// Build-time tool: writes the icon's PNG sizes from the same drawing the windows use, so the
// installed icon cannot drift from the window icon. Usage: render-icon SIZE FILE [SIZE FILE...]
#include "windowkit/AppIcon.h"

#include <QImage>
#include <QString>

#include <cstdio>

int main(int argc, char* argv[]) {
    if (argc < 3 || argc % 2 == 0) {
        std::fprintf(stderr, "Usage: %s SIZE FILE [SIZE FILE...]\n", argv[0]);
        return 2;
    }
    for (int i = 1; i + 1 < argc; i += 2) {
        bool ok = false;
        const int size = QString::fromLocal8Bit(argv[i]).toInt(&ok);
        if (!ok || size < 1 || size > 4096) {
            std::fprintf(stderr, "render-icon: bad size '%s'\n", argv[i]);
            return 2;
        }
        if (!AppIcon::render(size).save(QString::fromLocal8Bit(argv[i + 1]), "PNG")) {
            std::fprintf(stderr, "render-icon: cannot write %s\n", argv[i + 1]);
            return 1;
        }
    }
    return 0;
}
