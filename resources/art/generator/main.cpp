// SPDX-License-Identifier: GPL-3.0-or-later
// quillet-artgen: paints the program's pictures and writes them, with the resource list, into
// the art folder given on the command line. Run through the regenerate-art target.

#include "ArtWriter.h"
#include "ButtonArt.h"
#include "IconArt.h"
#include "LeadingArt.h"
#include "PictureArt.h"
#include "ProgramIconArt.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    // Text in the pictures needs the font machinery, which needs an application object.
    QGuiApplication app(argc, argv);
    const QStringList args = QGuiApplication::arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: quillet-artgen ART_FOLDER\n");
        return 2;
    }
    const QDir dir(args.at(1));
    if (!dir.exists()) {
        std::fprintf(stderr, "no such folder: %s\n", qPrintable(args.at(1)));
        return 2;
    }

    quillet::art::ArtWriter writer(dir);
    quillet::art::WriteButtonArt(writer);
    quillet::art::WriteLeadingArt(writer);
    quillet::art::WriteIconArt(writer);
    quillet::art::WritePictureArt(writer);
    quillet::art::WriteProgramIconArt(writer);
    if (!writer.writeResourceList(QStringLiteral("quillet_art.qrc"))) {
        std::fprintf(stderr, "cannot write the resource list\n");
        return 1;
    }
    return writer.failures() == 0 ? 0 : 1;
}
