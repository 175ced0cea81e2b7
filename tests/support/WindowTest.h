// Fixture of the window tests: a Program on the fakes and the manual loop,
// in a fresh program folder with a game folder beside it.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "FakePlatform.h"
#include "TestFolders.h"
#include "ui/ManualLoop.h"
#include "ui/Program.h"

class WindowTest : public ::testing::Test {
protected:
    WindowTest();
    ~WindowTest() override;
    void TearDown() override;

    std::string prog(const std::string& file) const { return programDir.path() + "/" + file; }
    std::string game(const std::string& rel) const { return gameFolder + "/" + rel; }

    testing_support::TempDir programDir;
    testing_support::TempDir gameRoot;
    std::string gameFolder;
    fakes::FakePlatform fake;
    ui::ManualLoop loop;
    std::unique_ptr<ui::Program> program;
    std::string startFolder;  // restored after the test: windows chdir
};
