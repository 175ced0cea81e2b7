#include "WindowTest.h"

#include <filesystem>

WindowTest::WindowTest() {
    gameFolder = testing_support::makeGameFolder(gameRoot.path());
    startFolder = std::filesystem::current_path().string();
    program = std::make_unique<ui::Program>(fake.services(), loop, programDir.path());
}

void WindowTest::TearDown() { fake.expectScriptUsed(); }

WindowTest::~WindowTest() {
    program.reset();
    std::error_code ec;
    std::filesystem::current_path(startFolder, ec);
}
