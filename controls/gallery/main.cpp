// SPDX-License-Identifier: GPL-3.0-or-later
// quillet-gallery: shows every control of the kit. With --screenshot FILE it lays the window
// out, puts the hover and pressed examples into their states, saves a picture and exits, so it
// can run headless under xvfb-run or the offscreen platform.

#include "GalleryWindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QPixmap>
#include <QTimer>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Quillet gallery"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Shows every control of the kit."));
    parser.addHelpOption();
    const QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                        QStringLiteral("Save a picture of the window and exit."),
                                        QStringLiteral("file"));
    parser.addOption(screenshot);
    parser.process(app);

    quillet::gallery::GalleryWindow window;
    window.show();
    window.ForceStates();
    if (!parser.isSet(screenshot))
        return app.exec();

    const QString file = parser.value(screenshot);
    int status = 1;
    // Let the window be laid out and painted once before taking the picture.
    QTimer::singleShot(300, &window, [&] {
        window.ForceStates();
        if (window.grab().save(file))
            status = 0;
        else
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        app.quit();
    });
    app.exec();
    return status;
}
