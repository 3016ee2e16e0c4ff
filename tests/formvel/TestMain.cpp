#include <QApplication>

#include <gtest/gtest.h>

// The forms program's tests need a GUI application: fonts for the renderer, windows for the
// request handler (offscreen).
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
