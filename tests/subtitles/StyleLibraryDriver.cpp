// SPDX-License-Identifier: GPL-3.0-or-later
#include "StyleLibraryDriver.h"

#include "ModalDriver.h"

#include <QColorDialog>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <cstdlib>

namespace subtitles_test {

namespace {

void ClickCentre(QWidget *widget)
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
}

} // namespace

bool IsStyleDialog(QWidget *widget)
{
    return widget->objectName() == QLatin1String("subtitleStyleDialog");
}

void ChooseLargeYellowText(QWidget *dialog)
{
    using quillet::test::Child;
    auto *size = Child<QSpinBox>(dialog, "fontSize");
    size->setValue(size->value() * 2);
    quillet::test::WhenModal<QColorDialog>([](QColorDialog *colours) {
        colours->setCurrentColor(Qt::yellow);
        QMetaObject::invokeMethod(colours, "accept");
    });
    // The library has its own copy of the control kit: its widgets are found by name and by
    // the classes of Qt they are made of.
    ClickCentre(Child<QPushButton>(Child<QWidget>(dialog, "primaryColour"), "button"));
    ClickCentre(Child<QPushButton>(dialog, "ok"));
}

ScopedEnvironment::ScopedEnvironment(const quillet::test::TempDir &dir,
                                     const std::filesystem::path &style_file)
{
    setenv("QUILLET_SETTINGS_DIR", (dir.path() / "settings").c_str(), 1);
    setenv("QUILLET_SUBTITLE_STYLE", style_file.c_str(), 1);
}

ScopedEnvironment::~ScopedEnvironment()
{
    unsetenv("QUILLET_SETTINGS_DIR");
    unsetenv("QUILLET_SUBTITLE_STYLE");
}

} // namespace subtitles_test
