// The real program with its windows on the test doubles, made fresh for each test and
// destroyed after it.
#pragma once

#include "platform/services.h"
#include "shell/program.h"
#include "tests/support/doubles.h"
#include "tests/support/fixtures.h"

#include <gtest/gtest.h>

#include <memory>

class ProgramTest : public ::testing::Test {
  protected:
    // Builds the program on folders of its own: `data` read-only, `user` writable.
    void Start(const std::string& data, const std::string& user) {
        TestServices().Reset();
        program = std::make_unique<Program>(TestServices().services, ProgramFolders{data, user});
    }
    void TearDown() override { program.reset(); }

    MDIForm1& Frame() { return program->Frame(); }
    Form103& Wave() { return program->WaveView(); }
    Form101& Spectrum() { return program->SpectrumView(); }

    std::unique_ptr<Program> program;
};

class MainWindowTest : public ProgramTest {
  protected:
    void SetUp() override { Start(AppPath(), userDir.Path()); }

    TempDir userDir;
};
