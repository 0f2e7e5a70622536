// The main window alone with a mill's codes: what the edit-operation window
// tests start from.
#pragma once

#include "main_window_fixture.h"

struct EditorFixture : tolva::test::MainWindowFixture<> {
    void SetUp() override {
        const char* letters = "NRIJKXYZ";
        for (int i = 0; i < 8; ++i) settings->SetCell(1, 12 + i, std::string(1, letters[i]));
        settings->SetCell(1, 2, "G02");
        settings->SetCell(1, 3, "G03");
        settings->SetCell(1, 7, "G91");
        Open(false, /*plot=*/false);
    }
};
