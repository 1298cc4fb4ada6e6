// Tests run in a pinned locale so that reply conversion does not depend on
// the machine; locale cases name their locale explicitly.
#include <gtest/gtest.h>

#include <QLocale>

int main(int argc, char** argv) {
    QLocale::setDefault(QLocale(QLocale::Thai, QLocale::Thailand));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
