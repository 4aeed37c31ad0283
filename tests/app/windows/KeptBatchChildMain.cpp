// SPDX-License-Identifier: GPL-3.0-or-later
// `quillet_kept_batch_child STATE OUTPUT CLIP...`: the window keeping its batch in STATE
// converts the clips into OUTPUT, for a test that kills it half-way.
#include "WindowHarness.h"

#include <QApplication>

#include <cstdlib>

using namespace quillet;
using namespace quillet::test;

int main(int argc, char **argv)
{
    if (argc < 4)
        return 2;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    HarnessOptions options;
    options.output_folder = std::string(argv[2]) + "/";
    WindowHarness h(options);
    MainDialog &w = h.Start();
    w.KeepBatch(argv[1]);
    w.AddStartFiles(std::vector<std::string>(argv + 3, argv + argc));
    w.OnConvert();
    return EXIT_SUCCESS;
}
