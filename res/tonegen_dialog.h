#pragma once

#include "dialog_template.h"

// IDD_TONEGEN_DIALOG: the generator's only window.
extern const DialogTemplate g_toneGenDialogTemplate;
