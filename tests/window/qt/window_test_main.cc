#include <gtest/gtest.h>

#include <QApplication>
#include <QByteArray>

// Window tests need a QApplication for their whole run, and never a real display.
int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
  ::testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
