#pragma once

// What the framework's contract suite (tests/framework_test.cpp) needs of a
// platform: running the dialog's messages, pressing keys and clicking as a
// user would, reading the focus and the geometry, answering message boxes.
// One implementation per platform: support/qt_framework_driver.cpp on
// Linux, windows/win32_framework_driver.cpp on Windows. The Linux GUI suite
// clicks and reads the focus through it too.

#include "wnd.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace driver {

// Runs the thread's messages as the dialog's modal loop would, for `time`.
void Pump(std::chrono::milliseconds time);
// Runs them until `done` holds; false if it did not within `patience`.
bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds patience);

enum class Key { Tab, ShiftTab, F1, ShiftF1 };
// Presses and releases `key` where the focus is in the dialog.
void Press(const CWnd& dialog, Key key);
// A click of the mouse on control `id`.
void Click(const CWnd& dialog, int id);
// The id of the dialog's control that has the focus; 0 for none.
int FocusedId(const CWnd& dialog);

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
};
// The dialog's window on the screen, frame included.
Rect WindowRect(const CWnd& dialog);
// The primary screen's work area.
Rect WorkArea();

struct SeenMessageBox {
    std::u16string caption;
    std::u16string text;
};

// Answers every message box with its default button from inside the box's
// own loop, for as long as it lives, and records each.
class MessageBoxAnswerer {
  public:
    MessageBoxAnswerer();
    ~MessageBoxAnswerer();
    const std::vector<SeenMessageBox>& Seen() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace driver
