#pragma once

// Drives a dialog's controls through Qt, as user actions would arrive.

#include "wnd.h"

#include <QWidget>

#include <string_view>

namespace testsupport {

QWidget* Widget(const CWnd& dialog, int id);
QWidget* Window(const CWnd& dialog);

// Clicks a button (its clicked signal, as a mouse release would emit it).
void Click(const CWnd& dialog, int id);

// Replaces a field's text as an edit by the user would.
void SetText(const CWnd& dialog, int id, std::u16string_view text);

} // namespace testsupport
