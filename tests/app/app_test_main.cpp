// The desktop program's tests run inside one application object, on the offscreen platform
// unless another is asked for, with settings that are theirs alone.
#include <gtest/gtest.h>

#include <QByteArray>

#include <cstdlib>

#include "app/lumo_app.h"
#include "tests/test_support.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Each test process gets a fresh settings folder, so the recent-file list of one test
    // never shows in another and the user's own settings are never touched.
    const lumo::test::TempDir config;
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config.path()));
    // And a data folder of their own, where the recovery copies go.
    const lumo::test::TempDir data;
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(data.path()));
    const lumo::test::TempDir runtime;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime.path()));
    }
    ::testing::InitGoogleTest(&argc, argv);
    lumo::CLumoApp app(argc, argv);
    return RUN_ALL_TESTS();
}
