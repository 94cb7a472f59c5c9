#pragma once

// The platform's extended dialog template (DLGTEMPLATEEX) built in memory
// from the template data in res/, so that both platforms lay the dialog out
// from one source.

#include "dialog_template.h"

#include <cstdint>
#include <vector>

namespace afx {

// The template's bytes, as DialogBoxIndirectParamW and
// CreateDialogIndirectParamW take them: the header, then each control
// aligned to a DWORD, with the class and text of each as strings.
std::vector<std::uint16_t> BuildDialogTemplateEx(const DialogTemplate& tmpl);

} // namespace afx
