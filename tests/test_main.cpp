// Tests run in a pinned locale so that reply conversion does not depend on
// the machine; locale cases name their locale explicitly. An application
// object exists as in the programs (the register's database driver is a
// plugin, loaded through it).
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLocale>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Thai, QLocale::Thailand));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
