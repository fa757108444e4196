// The real main window with its children, made fresh for each test and destroyed after it.
#pragma once

#include "shell/main_window.h"
#include "tests/support/doubles.h"

#include "platform/file_channel.h"

#include <gtest/gtest.h>

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TestServices().Reset();
        TheMDIForm1();
    }
    void TearDown() override {
        Channel1().Close();
        DestroyWindows();
    }
};
