#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QLocale>
#include <memory>

#include "view/BrowserPane.h"

namespace feedwell::test {

// One QApplication for a GUI test executable, made before the first test and removed after the last,
// with what the web engine needs set up before it exists. The locale is pinned so that date texts
// are the same everywhere.
class GuiTestApp : public ::testing::Environment {
 public:
  void SetUp() override {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    view::RegisterPreviewScheme();
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    app_ = std::make_unique<QApplication>(argc_, argv_);
  }
  void TearDown() override { app_.reset(); }

 private:
  int argc_ = 1;
  char name_[16] = "feedwell_test";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> app_;
};

inline const bool kGuiTestAppRegistered = (::testing::AddGlobalTestEnvironment(new GuiTestApp), true);

}  // namespace feedwell::test
